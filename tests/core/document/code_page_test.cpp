// Code pages of the character sets: the texts of items are kept in them.

#include "document/model/CodePage.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace Qt::StringLiterals;
using namespace CodePage;

TEST(CodePage, CharsetsMapToWindowsCodePages)
{
    EXPECT_EQ(forCharset(DEFAULT_CHARSET), 1251);
    EXPECT_EQ(forCharset(RUSSIAN_CHARSET), 1251);
    EXPECT_EQ(forCharset(ANSI_CHARSET), 1252);
    EXPECT_EQ(forCharset(EASTEUROPE_CHARSET), 1250);
    EXPECT_EQ(forCharset(GREEK_CHARSET), 1253);
    EXPECT_EQ(forCharset(TURKISH_CHARSET), 1254);
    EXPECT_EQ(forCharset(HEBREW_CHARSET), 1255);
    EXPECT_EQ(forCharset(ARABIC_CHARSET), 1256);
    EXPECT_EQ(forCharset(BALTIC_CHARSET), 1257);
    EXPECT_EQ(forCharset(THAI_CHARSET), 874);
    EXPECT_EQ(forCharset(SHIFTJIS_CHARSET), 932);
    EXPECT_EQ(forCharset(GB2312_CHARSET), 936);
    EXPECT_EQ(forCharset(HANGEUL_CHARSET), 949);
    EXPECT_EQ(forCharset(CHINESEBIG5_CHARSET), 950);
    EXPECT_EQ(forCharset(JOHAB_CHARSET), 1361);
    EXPECT_EQ(forCharset(MAC_CHARSET), 10000);
    EXPECT_EQ(forCharset(OEM_CHARSET), 866);
    EXPECT_EQ(forCharset(SYMBOL_CHARSET), 42);
    EXPECT_EQ(forCharset(99), 1251) << "unknown sets use the ANSI page";
}

TEST(CodePage, Windows1251BothWays)
{
    const QString text = u"Привет, мир! Ёё №"_s;
    const QByteArray bytes = QByteArray::fromHex("CFF0E8E2E5F22C20ECE8F02120A8B820B9");
    EXPECT_EQ(fromUnicode(1251, text), bytes);
    EXPECT_EQ(toUnicode(1251, bytes), text);
    EXPECT_EQ(fromUnicode(1251, u"А"_s), QByteArray("\xC0"));
}

TEST(CodePage, EverySingleByteRoundTrips)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    for (int page : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874, 866, 10000, 42}) {
        const QString decoded = toUnicode(page, all);
        ASSERT_EQ(decoded.size(), 256) << page;
        EXPECT_EQ(fromUnicode(page, decoded), all) << page;
    }
}

TEST(CodePage, CharactersAPageCannotHoldBecomeQuestionMarks)
{
    EXPECT_EQ(fromUnicode(1251, u"a中b"_s), QByteArray("a?b"));
    EXPECT_EQ(fromUnicode(1251, u"x😀y"_s), QByteArray("x?y")) << "one mark for a surrogate pair";
    EXPECT_EQ(fromUnicode(1252, u"Ж"_s), QByteArray("?"));
}

TEST(CodePage, OtherSingleBytePages)
{
    EXPECT_EQ(fromUnicode(1252, u"é€"_s), QByteArray("\xE9\x80"));
    EXPECT_EQ(fromUnicode(1253, u"Ω"_s), QByteArray("\xD9"));
    EXPECT_EQ(fromUnicode(1250, u"Ł"_s), QByteArray("\xA3"));
    EXPECT_EQ(fromUnicode(866, u"Ж"_s), QByteArray("\x86"));
    EXPECT_EQ(toUnicode(874, QByteArray("\xA1")), u"ก"_s);
}

TEST(CodePage, DoubleBytePages)
{
    const QString japanese = u"日本語テキスト"_s;
    const QByteArray sjis = fromUnicode(932, japanese);
    EXPECT_EQ(sjis.size(), 14);
    EXPECT_EQ(toUnicode(932, sjis), japanese);
    for (int page : {936, 949, 950}) {
        const QString text = page == 949 ? u"한국어"_s : u"中文"_s;
        EXPECT_EQ(toUnicode(page, fromUnicode(page, text)), text) << page;
    }
    EXPECT_EQ(fromUnicode(932, u"AЖ中"_s).left(1), QByteArray("A"));
    // A lead byte at the end of the text is a cut-off character, not a crash.
    EXPECT_EQ(toUnicode(932, QByteArray("A\x82")), u"A\uFFFD"_s);
}

TEST(CodePage, SymbolPageUsesPrivateUseCharacters)
{
    EXPECT_EQ(toUnicode(42, QByteArray("\x41\xFF")), u"\uF041\uF0FF"_s);
    EXPECT_EQ(fromUnicode(42, u"\uF041A"_s), QByteArray("AA"));
}

TEST(CodePage, ExactlyRefusesWhatThePageCannotHold)
{
    EXPECT_EQ(fromUnicodeExactly(1251, u"Цена «89» — €"_s), fromUnicode(1251, u"Цена «89» — €"_s));
    qsizetype at = -1;
    EXPECT_FALSE(fromUnicodeExactly(1251, u"Straße"_s, &at));
    EXPECT_EQ(at, 4);
    EXPECT_FALSE(fromUnicodeExactly(1251, u"ok 😀"_s, &at));
    EXPECT_EQ(at, 3);
    // 0x98 is no character of Windows-1251: its stand-in only round-trips files.
    EXPECT_FALSE(fromUnicodeExactly(1251, QString(QChar(0x98)), &at));
    EXPECT_EQ(fromUnicodeExactly(1252, u"Straße"_s), QByteArray("Stra\xDF" "e"));
    EXPECT_FALSE(fromUnicodeExactly(932, u"日本ß"_s, &at)) << "double-byte pages by round trip";
    EXPECT_EQ(at, 2);
    EXPECT_EQ(fromUnicodeExactly(1251, QString()), QByteArray());
}
