// Text and paragraph style tables as collection streams: the exact bytes of
// a new document's tables, the shortest forms and defaults, and reading
// back every property, unknown ones skipped.

#include "QtPrinters.h"
#include "StreamBytes.h"

#include "document/streams/ObjectStreamReader.h"
#include "document/streams/StyleStreams.h"
#include "document/model/StyleTables.h"

#include <gtest/gtest.h>

using namespace StreamBytes;
using namespace Qt::StringLiterals;

namespace {

QByteArray textTable(const std::vector<TFontInfo> &styles)
{
    return EncodeStyleTable(styles);
}

// The bytes of one text style entry's properties (between 01 and 00).
QByteArray textEntry(const TFontInfo &style)
{
    const QByteArray table = EncodeStyleTable(std::vector<TFontInfo>{style});
    return table.mid(2, table.size() - 4);
}

TFontInfo blackOnRed()
{
    TFontInfo style = TFontInfo::normalText();
    style.Standard = false;
    style.Color = Colour::Black;
    style.BackColor = Colour::Red;
    return style;
}

// Entries in which every property differs from its default.
TFontInfo everyTextProperty()
{
    TFontInfo s;
    s.BaseStyleNo = 2;
    s.StyleName = u"Заголовок 1"_s;
    s.Standard = false;
    s.StyleTemplateId = 7;
    s.Charset = 238;
    s.FontName = u"Arial"_s;
    s.Size = 72;
    s.Style = TFontInfo::fsItalic | TFontInfo::fsUnderline;
    s.VShift = -33;
    s.Color = Colour::Green;
    s.BackColor = Colour::Yellow;
    s.HoverBackColor = 0x010203;
    s.HoverColor = Colour::Window;
    s.StyleEx = TFontInfo::rvfsOverline | TFontInfo::rvfsAllCaps;
    s.Jump = true;
    s.JumpCursor = -21;
    s.CharScale = 150;
    s.CharSpacing = 40000;
    s.BiDiMode = TBiDiMode::RightToLeft;
    s.Protection = TFontInfo::rvprModifyProtect | TFontInfo::rvprStickToBottom;
    s.Options = TFontInfo::rvteoRTFCode;
    s.NextStyleNo = 0;
    s.Unicode = true;
    s.ModifiedProperties = {"rvfiFontName", "rvfiSize"};
    return s;
}

TParaInfo everyParaProperty()
{
    TParaInfo s;
    s.BaseStyleNo = 1;
    s.StyleName = u"Абзац"_s;
    s.Standard = false;
    s.StyleTemplateId = 3;
    s.FirstIndent = -10;
    s.LeftIndent = 20;
    s.RightIndent = 30;
    s.SpaceBefore = 4;
    s.SpaceAfter = 5;
    s.Alignment = TParaInfo::rvaJustify;
    s.Border = TRVBorder{3, 4, Colour::Red, TRVBorder::rvbThickOutside, false, false, true, false, {1, 2, 3, 4}};
    s.Background = TRVBackground{Colour::Green, {5, 6, 7, 8}};
    s.LineSpacing = 12;
    s.LineSpacingType = TParaInfo::rvlsSpaceBetween;
    s.Options = TParaInfo::rvpaoNoWrap | TParaInfo::rvpaoKeepWithNext;
    s.BiDiMode = TBiDiMode::LeftToRight;
    s.Tabs = {TRVTabInfo{TRVTabInfo::rvtaRight, 100, u"-"_s}};
    s.NextParaNo = 0;
    s.DefStyleNo = 1;
    s.ModifiedProperties1 = {"rvpiFirstIndent"};
    s.ModifiedProperties2 = {"rvpiTabs", "rvpiBorder"};
    return s;
}

// The names of the properties of the first entry of a table's stream, in
// the order they stand.
QList<QByteArray> propertyNames(const QByteArray &table)
{
    ObjectStreamReader r(table);
    QList<QByteArray> names;
    if (r.readTag() != ValueTag::Collection || r.readTag() != ValueTag::List)
        return names;
    for (QByteArray name = r.readShortName(); r.ok() && !name.isEmpty(); name = r.readShortName()) {
        names.append(name);
        r.skipValue();
    }
    return names;
}

} // namespace

TEST(TextStyleStream, NewDocumentTableIsThe73BytesOfTheFormat)
{
    const QByteArray expected = hex("0E 01") + name("StyleName") + ascii("Normal text") + name("FontName")
        + ascii("Times New Roman") + name("Size") + hex("02 0E") + name("Color") + ident("clRed") + hex("00 00");
    const QByteArray table = EncodeStyleTable(TRVStyle::newDocument().TextStyles);
    EXPECT_EQ(table, expected);
    EXPECT_EQ(table.size(), 73);
}

TEST(TextStyleStream, BlackOnRedEntryHasStandardFalseAndBothColours)
{
    const QByteArray expected = name("StyleName") + ascii("Normal text") + name("Standard") + hex("08")
        + name("FontName") + ascii("Times New Roman") + name("Size") + hex("02 0E") + name("Color")
        + ident("clBlack") + name("BackColor") + ident("clRed");
    EXPECT_EQ(textEntry(blackOnRed()), expected);
}

TEST(TextStyleStream, DefaultsAreLeftOutAndIntegersTakeTheShortestForm)
{
    TFontInfo style;  // every property at its default
    EXPECT_EQ(textEntry(style), QByteArray());

    style.Size = 10;
    EXPECT_EQ(textEntry(style), QByteArray()) << "Size 10 is the default";

    style.CharSpacing = -128;
    EXPECT_EQ(textEntry(style), name("CharSpacing") + hex("02 80"));
    style.CharSpacing = 128;
    EXPECT_EQ(textEntry(style), name("CharSpacing") + hex("03 80 00"));
    style.CharSpacing = -32769;
    EXPECT_EQ(textEntry(style), name("CharSpacing") + hex("04 FF 7F FF FF"));
}

TEST(TextStyleStream, ColoursUseIdentifiersOrTheShortestInteger)
{
    TFontInfo style;
    style.Color = Colour::EditorBackground;  // 0x000038 has no name
    EXPECT_EQ(textEntry(style), name("Color") + hex("02 38"));
    style.Color = 0x123456;
    EXPECT_EQ(textEntry(style), name("Color") + hex("04 56 34 12 00"));
    style.Color = Colour::Red;
    EXPECT_EQ(textEntry(style), name("Color") + ident("clRed")) << "red is never the integer 255";
    style.Color = qint32(0x8000000Fu);
    EXPECT_EQ(textEntry(style), name("Color") + ident("clBtnFace"));
    style.Color = Colour::WindowText;
    style.BackColor = Colour::Black;
    EXPECT_EQ(textEntry(style), name("BackColor") + ident("clBlack"));
}

TEST(TextStyleStream, CharsetsAndSetsAreWrittenByName)
{
    TFontInfo style;
    style.Charset = 204;
    style.Style = TFontInfo::fsBold | TFontInfo::fsStrikeOut;
    EXPECT_EQ(textEntry(style), name("Charset") + ident("RUSSIAN_CHARSET") + name("Style") + hex("0B")
                                    + name("fsBold") + name("fsStrikeOut") + hex("00"));
    style = TFontInfo();
    style.Charset = 3;  // no name
    EXPECT_EQ(textEntry(style), name("Charset") + hex("02 03"));
}

TEST(TextStyleStream, StringsChooseTheirFormBySize)
{
    TFontInfo style;
    style.FontName = u"MS Sans Serif"_s;
    EXPECT_EQ(textEntry(style), name("FontName") + ascii("MS Sans Serif"));
    style.FontName = u"Пауза"_s;
    EXPECT_EQ(textEntry(style), name("FontName") + utf16(u"Пауза"_s));
    EXPECT_EQ(utf16(u"Пауза"_s).size(), 1 + 4 + 10);
    style.FontName = u"Режим вывода текста"_s;
    EXPECT_EQ(textEntry(style), name("FontName") + utf8(u"Режим вывода текста"_s));
    style.FontName = QString(300, u'a');
    EXPECT_EQ(textEntry(style), name("FontName") + hex("0C") + le32(300) + QByteArray(300, 'a'));
}

TEST(TextStyleStream, EveryPropertySurvivesARoundTrip)
{
    const TFontInfo s = everyTextProperty();
    const std::vector<TFontInfo> table{TFontInfo::normalText(), s, blackOnRed()};

    std::vector<TFontInfo> read;
    StreamError error;
    ASSERT_TRUE(DecodeStyleTable(EncodeStyleTable(table), read, &error)) << error.reason.toStdString();
    ASSERT_EQ(read.size(), 3u);
    EXPECT_TRUE(read[0] == table[0]);
    EXPECT_TRUE(read[1] == s);
    EXPECT_TRUE(read[2] == table[2]);
    EXPECT_EQ(EncodeStyleTable(read), EncodeStyleTable(table));
}

TEST(TextStyleStream, UnknownPropertiesAreSkippedWithTheirValues)
{
    // Each unknown property carries a value of a different shape, nested
    // lists and a collection included.
    const QByteArray entry = name("Mystery1") + hex("01 02 05 01 06 01 41 00 00") + name("StyleName")
        + ascii("First") + name("Mystery2") + hex("0E 01") + name("X") + hex("09 00 00") + name("Mystery3")
        + hex("0A") + le32(3) + "abc" + name("Size") + hex("02 0C");
    const QByteArray table = hex("0E 01") + entry + hex("00 00");
    std::vector<TFontInfo> read;
    ASSERT_TRUE(DecodeStyleTable(table, read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].StyleName, u"First"_s);
    EXPECT_EQ(read[0].Size, 12);
}

TEST(TextStyleStream, ReadingAcceptsForeignForms)
{
    // An index before the entry, integers where identifiers are usual, a
    // colour as a 32-bit integer, a name in another case, and the old
    // SingleSymbols flag.
    const QByteArray table = hex("0E 02 05 01") + name("Color") + hex("04 FF 00 00 00") + name("Charset")
        + hex("03 CC 00") + name("BackColor") + ident("CLNONE") + name("SingleSymbols") + hex("09")
        + name("StyleName") + utf16(u"Текст"_s) + hex("00 00");
    std::vector<TFontInfo> read;
    ASSERT_TRUE(DecodeStyleTable(table, read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Color, Colour::Red);
    EXPECT_EQ(read[0].Charset, 204);
    EXPECT_EQ(read[0].BackColor, Colour::None);
    EXPECT_EQ(read[0].Protection, TFontInfo::rvprStyleProtect | TFontInfo::rvprDoNotAutoSwitch);
    EXPECT_EQ(read[0].StyleName, u"Текст"_s);
}

TEST(TextStyleStream, AValueOfTheWrongTypeLeavesTheDefault)
{
    const QByteArray table = hex("0E 01") + name("Size") + ascii("big") + name("Color") + ident("clNoSuchColour")
        + hex("00 00");
    std::vector<TFontInfo> read;
    ASSERT_TRUE(DecodeStyleTable(table, read));
    EXPECT_EQ(read[0].Size, 10);
    EXPECT_EQ(read[0].Color, Colour::WindowText);
}

TEST(TextStyleStream, BrokenStreamsFailAndLeaveTheTable)
{
    std::vector<TFontInfo> table = TRVStyle::newDocument().TextStyles;
    const QByteArray good = EncodeStyleTable(table);
    const std::vector<QByteArray> broken{
        hex("01 00"),                                  // not a collection
        good.left(good.size() - 1),                    // the final end byte missing
        good.left(20),                                 // cut inside a string
        hex("0E 01") + name("Size") + hex("15 00 00"), // unknown tag
        hex("0E 01") + name("X") + hex("0C FF FF FF FF 00 00"),  // negative length
        hex("0E 01") + name("X") + hex("0A 00 00 00 10 00 00"),  // length past the end
        hex("0E 06 00"),                               // an entry without 01
    };
    for (const QByteArray &bytes : broken) {
        StreamError error;
        EXPECT_FALSE(DecodeStyleTable(bytes, table, &error)) << bytes.toHex(' ').constData();
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_TRUE(table == TRVStyle::newDocument().TextStyles);
    }
}

TEST(TextStyleStream, DeepNestingFailsInsteadOfRecursingWithoutEnd)
{
    const QByteArray table = hex("0E 01") + name("X") + QByteArray(100000, '\x01') + QByteArray(100000, '\0');
    std::vector<TFontInfo> read;
    StreamError error;
    EXPECT_FALSE(DecodeStyleTable(table, read, &error));
    EXPECT_TRUE(error.reason.contains(u"deep"_s)) << error.reason.toStdString();
}

TEST(TextStyleStream, EmptyStreamIsAnEmptyTable)
{
    std::vector<TFontInfo> read = TRVStyle::newDocument().TextStyles;
    EXPECT_TRUE(DecodeStyleTable(QByteArray(), read));
    EXPECT_TRUE(read.empty());
    EXPECT_TRUE(DecodeStyleTable(hex("0E 00"), read));
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(textTable({}), hex("0E 00"));
}

// Paragraph styles

TEST(ParaStyleStream, NewDocumentTableIsThe88BytesOfTheFormat)
{
    const QByteArray expected = hex("0E") + hex("01") + name("StyleName") + ascii("Paragraph Style") + name("Tabs")
        + hex("0E 00") + hex("00") + hex("01") + name("StyleName") + ascii("Centered") + name("Alignment")
        + ident("rvaCenter") + name("Tabs") + hex("0E 00") + hex("00") + hex("00");
    const QByteArray table = EncodeStyleTable(TRVStyle::newDocument().ParaStyles);
    EXPECT_EQ(table, expected);
    EXPECT_EQ(table.size(), 88);
}

TEST(ParaStyleStream, BorderBackgroundAndTabsUseTheirPathsInOrder)
{
    TParaInfo s;
    s.Border.Width = 2;
    s.Border.Style = TRVBorder::rvbDouble;
    s.Border.VisibleTop = false;
    s.Border.BorderOffsets.Bottom = 3;
    s.Background.Color = Colour::Yellow;
    s.Background.BorderOffsets.Left = -1;
    s.Tabs = {TRVTabInfo{TRVTabInfo::rvtaLeft, 0, QString()}, TRVTabInfo{TRVTabInfo::rvtaCenter, 300, u"."_s}};
    const QByteArray expected = hex("0E 01") + name("Border.Width") + int8(2) + name("Border.Style")
        + ident("rvbDouble") + name("Border.VisibleBorders.Top") + hex("08") + name("Border.BorderOffsets.Bottom")
        + int8(3) + name("Background.Color") + ident("clYellow") + name("Background.BorderOffsets.Left") + int8(-1)
        + name("Tabs") + hex("0E") + hex("01") + name("Position") + int8(0) + hex("00") + hex("01") + name("Align")
        + ident("rvtaCenter") + name("Position") + hex("03 2C 01") + name("Leader") + ascii(".") + hex("00")
        + hex("00") + hex("00 00");
    EXPECT_EQ(EncodeStyleTable(std::vector<TParaInfo>{s}), expected);
}

TEST(ParaStyleStream, EveryPropertySurvivesARoundTrip)
{
    const TParaInfo s = everyParaProperty();
    const std::vector<TParaInfo> table{TParaInfo::paragraphStyle(), s};

    std::vector<TParaInfo> read;
    ASSERT_TRUE(DecodeStyleTable(EncodeStyleTable(table), read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0] == table[0]);
    EXPECT_TRUE(read[1] == s);
}

TEST(ParaStyleStream, TabsThatAreNotACollectionAreSkipped)
{
    const QByteArray table = hex("0E 01") + name("Tabs") + int8(4) + name("StyleName") + ascii("P") + hex("00 00");
    std::vector<TParaInfo> read;
    ASSERT_TRUE(DecodeStyleTable(table, read));
    EXPECT_EQ(read[0].StyleName, u"P"_s);
    EXPECT_TRUE(read[0].Tabs.isEmpty());
}

// List styles

TEST(ListStyleStream, EmptyTableIsWrittenAs0E00AndAFullOneAsRead)
{
    EXPECT_EQ(EncodeListStyleTable(QByteArray()), hex("0E 00"));
    const QByteArray pasted = hex("0E 01") + name("StyleName") + ascii("List") + name("Levels") + hex("0E 01")
        + name("FirstIndent") + int8(10) + hex("00 00") + hex("00 00");
    QByteArray kept;
    int entries = -1;
    ASSERT_TRUE(DecodeListStyleTable(pasted, kept, entries));
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(kept, pasted);
    EXPECT_EQ(EncodeListStyleTable(kept), pasted);

    EXPECT_TRUE(DecodeListStyleTable(hex("0E 00"), kept, entries));
    EXPECT_EQ(entries, 0);
    EXPECT_FALSE(DecodeListStyleTable(hex("0E 01 05"), kept, entries));
}

TEST(StyleStreams, EveryPropertyIsWrittenInTheOrderOfTheFormat)
{
    const QList<QByteArray> text{"BaseStyleNo", "StyleName", "Standard", "StyleTemplateId", "Charset", "FontName",
                                 "Size", "Style", "VShift", "Color", "BackColor", "HoverBackColor", "HoverColor",
                                 "StyleEx", "Jump", "JumpCursor", "CharScale", "CharSpacing", "BiDiMode",
                                 "Protection", "Options", "NextStyleNo", "Unicode", "ModifiedProperties"};
    EXPECT_EQ(propertyNames(EncodeStyleTable(std::vector<TFontInfo>{everyTextProperty()})), text);

    const QList<QByteArray> para{"BaseStyleNo", "StyleName", "Standard", "StyleTemplateId", "FirstIndent",
                                 "LeftIndent", "RightIndent", "SpaceBefore", "SpaceAfter", "Alignment",
                                 "Border.Width", "Border.InternalWidth", "Border.Color", "Border.Style",
                                 "Border.VisibleBorders.Left", "Border.VisibleBorders.Right",
                                 "Border.VisibleBorders.Top", "Border.VisibleBorders.Bottom",
                                 "Border.BorderOffsets.Left", "Border.BorderOffsets.Right",
                                 "Border.BorderOffsets.Top", "Border.BorderOffsets.Bottom", "Background.Color",
                                 "Background.BorderOffsets.Left", "Background.BorderOffsets.Right",
                                 "Background.BorderOffsets.Top", "Background.BorderOffsets.Bottom", "LineSpacing",
                                 "LineSpacingType", "Options", "BiDiMode", "Tabs", "NextParaNo", "DefStyleNo",
                                 "ModifiedProperties1", "ModifiedProperties2"};
    TParaInfo every = everyParaProperty();
    every.Border.VisibleTop = false;
    EXPECT_EQ(propertyNames(EncodeStyleTable(std::vector<TParaInfo>{every})), para);
}
