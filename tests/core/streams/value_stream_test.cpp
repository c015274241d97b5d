// The typed values of object streams as the reader sees them: every tag,
// the string conversions, and lengths that cannot be trusted.

#include "QtPrinters.h"
#include "StreamBytes.h"

#include "document/streams/ObjectStreamReader.h"
#include "document/streams/ObjectStreamWriter.h"

#include <gtest/gtest.h>

#include <type_traits>

using namespace StreamBytes;
using namespace Qt::StringLiterals;

TEST(ObjectStreamReader, StepsOverAValueOfEveryTag)
{
    const std::vector<QByteArray> values{
        hex("01 02 01 09 00"),                        // list
        hex("02 FF"),
        hex("03 FF FF"),
        hex("04 FF FF FF FF"),
        hex("05 00 00 00 00 00 00 00 80 FF 3F"),      // 80-bit float
        ascii("short"),
        ident("clRed"),
        hex("08"),
        hex("09"),
        hex("0A") + le32(2) + "xy",                   // binary data
        hex("0B") + name("a") + name("b") + hex("00"),
        hex("0C") + le32(4) + "long",
        hex("0D"),                                    // nil
        hex("0E 01") + name("X") + int8(1) + hex("00 00"),
        hex("0F 00 00 80 3F"),                        // single float
        hex("10 10 27 00 00 00 00 00 00"),            // currency
        hex("11 00 00 00 00 00 00 F0 3F"),            // date
        utf16(u"ab"_s),
        hex("13 01 00 00 00 00 00 00 00"),
        utf8(u"ä"_s),
    };
    QByteArray stream;
    for (const QByteArray &v : values)
        stream += v;
    stream += "\x09";
    ObjectStreamReader r(stream);
    for (size_t i = 0; i < values.size(); ++i)
        r.skipValue();
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    EXPECT_EQ(r.readTag(), ValueTag::True);
    EXPECT_TRUE(r.atEnd());
}

TEST(ObjectStreamReader, ReadsScalarsWithTheirSigns)
{
    const QByteArray stream = hex("02 80 03 00 80 04 00 00 00 80 13 FF FF FF FF FF FF FF FF");
    ObjectStreamReader r(stream);
    EXPECT_EQ(r.readValue().toInt32(), -128);
    EXPECT_EQ(r.readValue().toInt32(), -32768);
    EXPECT_EQ(r.readValue().toInt32(), std::numeric_limits<qint32>::min());
    EXPECT_EQ(r.readValue().toInt32(), -1);
    EXPECT_TRUE(r.ok());
    StreamValue big;
    big.tag = ValueTag::Int64;
    big.integer = qint64(1) << 40;
    EXPECT_FALSE(big.toInt32());
}

TEST(ObjectStreamReader, StringsOfEveryFormReadAsText)
{
    const QByteArray cp1251("\xCF\xF0\xE8\xE2\xE5\xF2", 6);  // Привет
    const QByteArray stream = bytes({0x06, int(cp1251.size())}) + cp1251 + hex("0C") + le32(6) + cp1251
        + utf8(u"Привет"_s) + utf16(u"Привет"_s);
    ObjectStreamReader r(stream);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(r.readValue().toText(), u"Привет"_s) << "form " << i;
    EXPECT_TRUE(r.ok());
}

TEST(ObjectStreamReader, LengthsPastTheEndFailWithoutAllocating)
{
    const std::vector<QByteArray> bad{
        hex("06 05 61"),                 // short string of 5 with one byte
        hex("0C FF FF FF 7F 61"),        // 2 GiB long string
        hex("0C FF FF FF FF"),           // negative length
        hex("12 FF FF FF 3F 00 00"),     // a billion UTF-16 units
        hex("12 00 00 00 80"),           // negative count
        hex("14 10 00 00 00 41"),
        hex("0A 00 00 00 01"),
        hex("05 00 00"),
        hex("07 09 63 6C"),              // identifier cut short
        hex("0B 01 61 01"),              // set without its end
        hex("01 02 01"),                 // list without its end
        hex("15"),                       // unknown tag
        hex("00"),                       // end of list instead of a value
    };
    for (const QByteArray &bytes : bad) {
        ObjectStreamReader r(bytes);
        r.skipValue();
        EXPECT_FALSE(r.ok()) << bytes.toHex(' ').constData();
    }
}

TEST(ObjectStreamReader, AFailureStopsEveryLaterRead)
{
    const QByteArray stream = hex("15 02 07");
    ObjectStreamReader r(stream);
    r.skipValue();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.errorOffset(), 0);
    EXPECT_EQ(r.readByte(), 0);
    EXPECT_EQ(r.readShortName(), QByteArray());
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.error(), u"unknown value tag 0x15"_s);
}

// The reader keeps a view of its bytes: a buffer that dies at the end of the
// declaration must not compile, while a named buffer, a view or a pointer
// still does (every kind of owner is in borrowed_view_test.cpp).
TEST(ObjectStreamReader, RefusesATemporaryBufferAtCompileTime)
{
    static_assert(!std::is_constructible_v<ObjectStreamReader, QByteArray>);
    static_assert(!std::is_constructible_v<ObjectStreamReader, QByteArray &&>);
    static_assert(!std::is_constructible_v<ObjectStreamReader, const QByteArray &&>);

    static_assert(std::is_constructible_v<ObjectStreamReader, QByteArray &>);
    static_assert(std::is_constructible_v<ObjectStreamReader, const QByteArray &>);
    static_assert(std::is_constructible_v<ObjectStreamReader, QByteArrayView>);
    static_assert(std::is_constructible_v<ObjectStreamReader, const char *>);

    // The deleted overload must not take the reader's own move.
    static_assert(std::is_move_constructible_v<ObjectStreamReader>);
}

TEST(ObjectStreamWriter, ListEntriesAreAsciiOrUtf8NeverUtf16)
{
    ObjectStreamWriter w;
    w.writeListString(u"10"_s);
    w.writeListString(u"Пауза"_s);
    w.writeListString(QString());
    EXPECT_EQ(w.bytes(), ascii("10") + utf8(u"Пауза"_s) + hex("06 00"));
}

TEST(ObjectStreamWriter, ShortNamesAreCutAt255Bytes)
{
    ObjectStreamWriter w;
    w.writeShortName(QByteArray(300, 'n'));
    EXPECT_EQ(w.bytes(), '\xFF' + QByteArray(255, 'n'));
}
