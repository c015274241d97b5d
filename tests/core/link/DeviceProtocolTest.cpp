// The clock payload's byte layout.

#include "link/DeviceProtocol.h"

#include <gtest/gtest.h>

namespace {

QByteArray clock(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return DeviceProtocol::clockPayload(QDate(y, mo, d), QTime(h, mi, s, ms));
}

TEST(ClockPayload, FieldsArePlainBinaryNotBcd)
{
    EXPECT_EQ(clock(2000, 1, 1, 0, 0, 0), QByteArray::fromHex("000101000000"));
    EXPECT_EQ(clock(2011, 12, 31, 23, 59, 59), QByteArray::fromHex("0b0c1f173b3b"));
}

TEST(ClockPayload, OnlyTheYearWithinTheCenturyIsSent)
{
    EXPECT_EQ(clock(2099, 6, 15, 12, 30, 45).at(0), char(0x63));
    EXPECT_EQ(clock(2100, 6, 15, 12, 30, 45).at(0), char(0x00));
    EXPECT_EQ(clock(1999, 6, 15, 12, 30, 45).at(0), char(99));
}

TEST(ClockPayload, FractionsOfASecondAreDropped)
{
    EXPECT_EQ(clock(2024, 2, 29, 8, 7, 6, 999), QByteArray::fromHex("18021d080706"));
}

TEST(Preamble, IsOneThousandNineHundredTwentyOneMarkers)
{
    EXPECT_EQ(DeviceProtocol::PreambleLength, 0x781);
    EXPECT_EQ(DeviceProtocol::ProgramMarker, char(0x41));
    EXPECT_EQ(DeviceProtocol::ClockMarker, char(0x64));
}

} // namespace
