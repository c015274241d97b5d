// Text items: colour elements, the colour state across records, the colour
// and character errors, code pages.

#include "CompilerTestSupport.h"

#include "compiler/CheckMessages.h"
#include "document/model/CodePage.h"

using namespace Qt::StringLiterals;
using B = DocumentBuilder;

TEST(TextStep, TextInRedNeedsNoColourElement)
{
    const CheckResult r = Compiler::compile(B().effect(0).text("AB").build());
    EXPECT_EQ(body(r), hexBytes("00 00 41 42 00"));
    EXPECT_TRUE(listingLines(r.listing).contains("0x41, 0x42, // text"));
}

TEST(TextStep, ColourElementOnlyWhereTheCodeChanges)
{
    const CheckResult r = Compiler::compile(B().effect(0).text("A").text("B", B::Dark).text("C").build());
    EXPECT_EQ(body(r), hexBytes("00 00 41 01 01 42 01 00 43 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_TRUE(lines.contains("0x01, 0x01,// Insert EFFECT_COLOR"));
    EXPECT_TRUE(lines.contains("0x01, 0x00,// Insert EFFECT_COLOR"));
}

TEST(TextStep, DarkTextAsFirstContentWritesItsColour)
{
    EXPECT_EQ(body(Compiler::compile(B().effect(0).text("A", B::Dark).build())), hexBytes("00 00 01 01 41 00"));
}

TEST(TextStep, ColourStateSpansRecordsPicturesAndClears)
{
    QImage red = B::pictureFromRows(std::vector<QByteArray>(8, "R"));
    const CheckResult r = Compiler::compile(
        B().effect(0).text("A", B::Dark).clear(0).effect(1).picture(red).info(0).text("B", B::Dark).build());
    EXPECT_EQ(body(r), hexBytes("00 00 01 01 41 00 01 00 00 00 01 02 00 01 FF 03 00 42 00"));
}

TEST(TextStep, ParagraphsJoinWithNothingBetween)
{
    const CheckResult r = Compiler::compile(B().effect(0).text("AB").paragraph().text("CD").build());
    EXPECT_EQ(body(r), hexBytes("00 00 41 42 43 44 00"));
}

TEST(TextStep, CyrillicIsWindows1251)
{
    const CheckResult r = Compiler::compile(B().effect(0).text("А Яя").build());
    EXPECT_EQ(body(r), hexBytes("00 00 C0 20 DF FF 00"));
}

TEST(TextStep, Utf16TextIsConvertedToTheStylesCodePage)
{
    SourceItem item;
    item.styleNo = 0;
    item.options = ItemOption::Utf16Text | ItemOption::ContinuesParagraph;
    const QString text = u"Ёж€"_s;
    item.text = QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const CheckResult r = Compiler::compile(B().effect(0).item(item).build());
    EXPECT_EQ(body(r), hexBytes("00 00 A8 E6 88 00"));
}

TEST(TextStep, StyleCharsetChoosesTheCodePage)
{
    SourceDocument doc = B().effect(0).build();
    TFontInfo greek = TFontInfo::normalText();
    greek.Charset = CodePage::GREEK_CHARSET;
    doc.styles.TextStyles.push_back(greek);
    SourceItem item = SourceItem::textItem(QByteArray(), 1, 0, true);
    item.options |= ItemOption::Utf16Text;
    const QString text = u"Ω"_s;
    item.text = QByteArray(reinterpret_cast<const char *>(text.utf16()), 2);
    doc.append(item);
    EXPECT_EQ(body(Compiler::compile(doc)), hexBytes("00 00 D9 00"));
}

TEST(TextStep, ColoursThatAreNotSignColoursAreErrors)
{
    for (B::TextColour colour : {B::Green, B::RedOnBlack, B::WindowText}) {
        const CheckResult r = Compiler::compile(B().effect(0).text("A").text("B", colour).build());
        ASSERT_TRUE(r.error);
        EXPECT_EQ(r.error->item, 2);
        EXPECT_EQ(r.error->message, CheckMessages::BadTextColour);
        EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
        EXPECT_EQ(body(r), hexBytes("00 00 41 00")) << "nothing written for the bad item";
    }
}

TEST(TextStep, StyleNumberOutsideTheTableIsNotASignColour)
{
    const CheckResult r = Compiler::compile(B().effect(0).item(SourceItem::textItem("A", 7)).build());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::BadTextColour);
}

TEST(TextStep, MissingEffectIsReportedBeforeTheColour)
{
    const CheckResult r = Compiler::compile(B().text("A", B::Green).build());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::NoOutputEffect);
}

TEST(TextStep, EmptyTextIsNeverTested)
{
    const CheckResult r = Compiler::compile(B().text("", B::Green).effect(0).text("", B::Green).text("A").build());
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(body(r), hexBytes("00 00 41 00"));
}

TEST(TextStep, CharactersThatWouldBreakTheProgramAreRejected)
{
    for (const char c : {'\x00', '\x01', '\x02', '\x03', '\x1D', '\x1E', '\x1F'}) {
        const QByteArray text = QByteArray("A") + c + "B";
        const CheckResult r = Compiler::compile(B().effect(0).text("X").rawText(text, B::Dark).build());
        ASSERT_TRUE(r.error) << int(c);
        EXPECT_EQ(r.error->item, 2);
        EXPECT_EQ(r.error->message, CheckMessages::BadTextCharacter);
        EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
        // Nothing of the item is written, not even its colour element.
        EXPECT_EQ(body(r), hexBytes("00 00 58 00"));
    }
}

TEST(TextStep, OtherControlCharactersAreOrdinaryText)
{
    const CheckResult r = Compiler::compile(B().effect(0).rawText("\x04\t\x1C\x7F\x98").build());
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(body(r), hexBytes("00 00 04 09 1C 7F 98 00"));
}

TEST(TextStep, BadCharacterBeforeAnyEffectIsTheMissingEffectError)
{
    const CheckResult r = Compiler::compile(B().rawText("\x01").build());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::NoOutputEffect);
}
