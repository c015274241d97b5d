// The port list: the fixed names before discovery, what each discovery keeps
// and chooses, and device paths typed in by the operator.

#include "link/PortList.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QList<SerialPortInfo> ports(const QStringList &names)
{
    QList<SerialPortInfo> found;
    for (const QString &name : names)
        found.append(SerialPortInfo{name, u"/dev/"_s + name, name == u"ttyUSB0"_s ? u"FTDI FT232R, serial number A1"_s : QString()});
    return found;
}

QStringList names(const PortList &list)
{
    QStringList result;
    for (const PortEntry &entry : list.entries())
        result << entry.name;
    return result;
}

const auto AllExist = [](const QString &) { return true; };
const auto NoneExist = [](const QString &) { return false; };

TEST(PortList, BeforeDiscoveryAndWithoutATreeItOffersCom1ToCom32)
{
    PortList list;
    ASSERT_EQ(list.entries().size(), 32);
    EXPECT_EQ(list.entries().first().name, u"COM1"_s);
    EXPECT_EQ(list.entries().last().name, u"COM32"_s);
    EXPECT_EQ(list.chosenName(), u"COM1"_s);

    list.choose(4);
    EXPECT_FALSE(list.refresh(std::nullopt, AllExist));
    EXPECT_EQ(list.entries().size(), 32);
    EXPECT_EQ(list.chosenName(), u"COM5"_s);
}

TEST(PortList, FirstDiscoveryChoosesTheFirstPortAndLaterOnesKeepTheChoice)
{
    PortList list;
    EXPECT_TRUE(list.refresh(ports({u"ttyS0"_s, u"ttyUSB0"_s}), AllExist));
    EXPECT_EQ(names(list), QStringList({u"ttyS0"_s, u"ttyUSB0"_s}));
    EXPECT_EQ(list.chosenName(), u"ttyS0"_s);
    EXPECT_EQ(list.entries().at(0).toolTip, u"/dev/ttyS0"_s);
    EXPECT_EQ(list.entries().at(1).toolTip, u"FTDI FT232R, serial number A1"_s);

    list.choose(1);
    // An adapter plugged in meanwhile appears; the chosen port stays chosen.
    EXPECT_FALSE(list.refresh(ports({u"ttyACM0"_s, u"ttyS0"_s, u"ttyUSB0"_s}), AllExist));
    EXPECT_EQ(list.chosenName(), u"ttyUSB0"_s);
    EXPECT_EQ(list.chosen(), 2);

    // Pulled out: the first entry is chosen instead, and the change is told.
    EXPECT_TRUE(list.refresh(ports({u"ttyACM0"_s, u"ttyS0"_s}), AllExist));
    EXPECT_EQ(list.chosenName(), u"ttyACM0"_s);
}

TEST(PortList, ATreeWithoutPortsLeavesTheListEmptyWithNothingChosen)
{
    PortList list;
    EXPECT_TRUE(list.refresh(QList<SerialPortInfo>{}, AllExist));
    EXPECT_TRUE(list.entries().isEmpty());
    EXPECT_EQ(list.chosen(), -1);
    EXPECT_EQ(list.chosenName(), QString());
}

TEST(PortList, TypedInPathsStayWhileTheyExistAndAreChosen)
{
    PortList list;
    list.refresh(ports({u"ttyS0"_s}), AllExist);
    list.choosePath(u"/tmp/vsign"_s);
    EXPECT_EQ(names(list), QStringList({u"ttyS0"_s, u"/tmp/vsign"_s}));
    EXPECT_EQ(list.chosenName(), u"/tmp/vsign"_s);
    EXPECT_TRUE(list.entries().at(1).typedIn);

    list.choosePath(u"/tmp/vsign"_s);  // listed once
    EXPECT_EQ(list.entries().size(), 2);

    EXPECT_FALSE(list.refresh(ports({u"ttyS0"_s, u"ttyUSB0"_s}), AllExist));
    EXPECT_EQ(names(list), QStringList({u"ttyS0"_s, u"ttyUSB0"_s, u"/tmp/vsign"_s}));
    EXPECT_EQ(list.chosenName(), u"/tmp/vsign"_s);

    // The virtual pair is gone: so is its entry.
    EXPECT_TRUE(list.refresh(ports({u"ttyS0"_s}), NoneExist));
    EXPECT_EQ(names(list), QStringList({u"ttyS0"_s}));
    EXPECT_EQ(list.chosenName(), u"ttyS0"_s);
}

TEST(PortList, TypingADiscoveredPortsDevicePathChoosesThatPort)
{
    PortList list;
    list.refresh(ports({u"ttyS0"_s, u"ttyUSB0"_s}), AllExist);
    list.choosePath(u"/dev/ttyUSB0"_s);
    EXPECT_EQ(list.entries().size(), 2);
    EXPECT_EQ(list.chosenName(), u"ttyUSB0"_s);
}

} // namespace

TEST(PortList, TypedInNetworkAddressesStayThroughEveryDiscovery)
{
    PortList list;
    list.refresh(ports({u"ttyS0"_s}), AllExist);
    list.choosePath(u"rfc2217://[::1]:2000"_s);
    EXPECT_EQ(list.chosenName(), u"rfc2217://[::1]:2000"_s);
    EXPECT_FALSE(list.refresh(ports({u"ttyS0"_s}), NoneExist));
    EXPECT_EQ(names(list), QStringList({u"ttyS0"_s, u"rfc2217://[::1]:2000"_s}));
    EXPECT_EQ(list.chosenName(), u"rfc2217://[::1]:2000"_s);
}
