// The walk over the items: records opened and closed by effect and clear
// markers, the closing look-ahead for pause, speed and font, the end of the
// document, calibration bytes, progress and abort.

#include "CompilerTestSupport.h"

#include "compiler/CheckMessages.h"

using namespace Qt::StringLiterals;

namespace {

CheckResult compile(const DocumentBuilder &builder)
{
    return Compiler::compile(builder.build());
}

} // namespace

TEST(Walk, EmptyDocumentIsStartEndAndCalibration)
{
    const CheckResult r = Compiler::compile(SourceDocument(), u"0"_s, u"0"_s);
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.program, hexBytes("02 01 03 00 00"));
    EXPECT_EQ(listingLines(r.listing),
              (QList<QByteArray>{"0x02, ", "0x01, ", "0x03,", "0x00,", "0x00"}));
}

TEST(Walk, DocumentWithOnlyAnEmptyTextItemHasNoContent)
{
    const CheckResult r = compile(DocumentBuilder().text(""));
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.program, hexBytes("02 01 03 00 00"));
}

TEST(Walk, LoneOutputEffectIsAnEmptyRecord)
{
    const CheckResult r = compile(DocumentBuilder().effect(0));
    EXPECT_EQ(r.program, hexBytes("02 01 00 00 00 03 00 00"));
    EXPECT_EQ(listingLines(r.listing),
              (QList<QByteArray>{"0x02, ", "0x01, ", "0x00, // place effect", "0x00, // place effect",
                                 "0x00,// close empty effect(for item end)", "0x03,", "0x00,", "0x00"}));
}

TEST(Walk, ClosingsByRecordStateAtTheNextOutputEffect)
{
    QImage red = DocumentBuilder::pictureFromRows(std::vector<QByteArray>(8, "R"));
    const CheckResult r = compile(DocumentBuilder().effect(1).effect(2).text("A").effect(3).picture(red).effect(4));
    EXPECT_EQ(body(r), hexBytes("00 01 00 00 02 41 00 00 03 02 00 01 FF 00 00 04 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_TRUE(lines.contains("0x00,// close empty effect, for new effect"));
    EXPECT_TRUE(lines.contains("0x00,// end effect(text put), for new effect"));
    EXPECT_TRUE(lines.contains("0x00,// close effect(image put), for new effect"));
}

TEST(Walk, ClosingsByRecordStateAtAClearEffect)
{
    QImage red = DocumentBuilder::pictureFromRows(std::vector<QByteArray>(8, "R"));
    const CheckResult r = compile(
        DocumentBuilder().effect(0).clear(5).effect(0).text("A").clear(6).effect(0).picture(red).clear(7));
    EXPECT_EQ(body(r), hexBytes("00 00 00 01 05 00 00 00 41 00 01 06 00 00 00 02 00 01 FF 00 01 07 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_TRUE(lines.contains("0x00,// close empty effect, for new effect(1)"));
    EXPECT_TRUE(lines.contains("0x00,// end effect(text put), for new effect(1)"));
    EXPECT_TRUE(lines.contains("0x00,// close effect(image put), for new effect(1)"));
    EXPECT_TRUE(lines.contains("0x01, 0x05, // place CLEAR effect"));
    EXPECT_EQ(lines.at(lines.size() - 4), "0x00,// close empty effect(for item end)");
}

TEST(Walk, EndOfDocumentClosingByState)
{
    QImage red = DocumentBuilder::pictureFromRows(std::vector<QByteArray>(8, "R"));
    EXPECT_TRUE(listingLines(compile(DocumentBuilder().effect(0).text("A")).listing)
                    .contains("0x00,// end text at effect(for item end)"));
    EXPECT_TRUE(listingLines(compile(DocumentBuilder().effect(0).picture(red)).listing)
                    .contains("0x00,// end image at effect(for item end)"));
    EXPECT_TRUE(listingLines(compile(DocumentBuilder().effect(0).info(0)).listing)
                    .contains("0x00,// end text at effect(for item end)"));
}

TEST(Walk, TextBeforeAnyOutputEffectIsAnError)
{
    const CheckResult r = compile(DocumentBuilder().text("A").effect(0));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->item, 0);
    EXPECT_EQ(r.error->message, CheckMessages::NoOutputEffect);
    EXPECT_EQ(r.error->place, ErrorPlace::CaretBeforeItem);
    EXPECT_EQ(r.program, hexBytes("02 01 03 00 00"));
}

TEST(Walk, ClearEffectEndsTheOutputEffect)
{
    const CheckResult r = compile(DocumentBuilder().effect(0).clear(1).text("A"));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->item, 2);
    EXPECT_EQ(r.error->message, CheckMessages::NoOutputEffect);
    EXPECT_EQ(body(r), hexBytes("00 00 00 01 01 00"));
}

TEST(Walk, OutputEffectAfterClearEffectOpensANewRecord)
{
    const CheckResult r = compile(DocumentBuilder().effect(0).clear(1).effect(2).text("A"));
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(body(r), hexBytes("00 00 00 01 01 00 00 02 41 00"));
}

TEST(Walk, EffectFollowedAtOnceByEffectGivesAnEmptyRecord)
{
    const CheckResult r = compile(DocumentBuilder().effect(4).effect(5).text("A"));
    EXPECT_EQ(body(r), hexBytes("00 04 00 00 05 41 00"));
}

TEST(Walk, InformationMarkerNeedsAnOutputEffect)
{
    const CheckResult r = compile(DocumentBuilder().info(1));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::NoOutputEffect);
    EXPECT_EQ(r.error->place, ErrorPlace::CaretBeforeItem);

    const CheckResult ok = compile(DocumentBuilder().effect(0).info(2));
    EXPECT_EQ(body(ok), hexBytes("00 00 03 02 00"));
    EXPECT_TRUE(listingLines(ok.listing).contains("0x03, 0x02, // Insert EFFECT_DATETIME"));
}

TEST(Walk, ItemsOfOtherKindsArePassedOver)
{
    DocumentBuilder b;
    b.effect(0);
    SourceItem tab;
    tab.styleNo = ItemStyle::Tab;
    b.item(tab);
    SourceItem other;
    other.styleNo = ItemStyle::Bullet;
    b.item(other);
    EmbeddedControl image;
    image.className = "TImage";
    b.item(SourceItem::controlItem(image));
    b.text("A");
    EXPECT_EQ(body(compile(b)), hexBytes("00 00 41 00"));
}

// --- the closing look-ahead -------------------------------------------------

TEST(LookAhead, PauseAtTheEndClosesTheRecordAndStandsOutside)
{
    const CheckResult r = compile(DocumentBuilder().effect(0).text("A").pause(3));
    EXPECT_EQ(body(r), hexBytes("00 00 41 00 1F 03"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_EQ(lines.at(lines.size() - 5), "0x00,// close effect(image put), for new effect(1)");
    EXPECT_EQ(lines.at(lines.size() - 4), "0x1F, 0x03,// Insert EFFECT_PAUSE");
}

TEST(LookAhead, PauseBeforeContentStaysInsideTheRecord)
{
    EXPECT_EQ(body(compile(DocumentBuilder().effect(0).pause(3).text("A"))), hexBytes("00 00 1F 03 41 00"));
}

TEST(LookAhead, PauseBeforeTheFirstEffectStandsAtTopLevel)
{
    EXPECT_EQ(body(compile(DocumentBuilder().pause(3).effect(0).text("A"))), hexBytes("1F 03 00 00 41 00"));
}

TEST(LookAhead, CommandsBetweenRecordsCloseTheFirstOnce)
{
    const CheckResult r = compile(DocumentBuilder().effect(0).text("A").pause(3).speed(9).effect(1).text("B"));
    EXPECT_EQ(body(r), hexBytes("00 00 41 00 1F 03 1E 09 00 01 42 00"));
    EXPECT_TRUE(listingLines(r.listing).contains("0x1E, 0x09,// Insert EFFECT_SPEED"));
}

TEST(LookAhead, FontCommandFollowsTheSameRule)
{
    EXPECT_EQ(body(compile(DocumentBuilder().effect(0).font(1).text("A").font(0))),
              hexBytes("00 00 1D 01 41 00 1D 00"));
    EXPECT_TRUE(listingLines(compile(DocumentBuilder().font(1)).listing).contains("0x1D, 0x01,// Insert EFFECT_FONT"));
}

TEST(LookAhead, EmptyTextAndOtherItemsAreNotContent)
{
    DocumentBuilder b;
    b.effect(0).text("A").pause(1).text("");
    SourceItem tab;
    tab.styleNo = ItemStyle::Tab;
    b.item(tab);
    b.clear(0);
    EXPECT_EQ(body(compile(b)), hexBytes("00 00 41 00 1F 01 01 00 00"));
}

TEST(LookAhead, PicturesAndInformationAreContentWhateverTheirKind)
{
    QImage red = DocumentBuilder::pictureFromRows(std::vector<QByteArray>(8, "R"));
    EXPECT_EQ(body(compile(DocumentBuilder().effect(0).text("A").pause(1).picture(red))),
              hexBytes("00 00 41 1F 01 02 00 01 FF 00"));
    EXPECT_EQ(body(compile(DocumentBuilder().effect(0).text("A").pause(1).info(0))),
              hexBytes("00 00 41 1F 01 03 00 00"));
    // A picture the check will reject still keeps the pause inside.
    const CheckResult jpeg = compile(DocumentBuilder().effect(0).text("A").pause(1).picture(red, "TJPEGImage"));
    ASSERT_TRUE(jpeg.error);
    EXPECT_EQ(body(jpeg), hexBytes("00 00 41 1F 01 00"));
}

TEST(LookAhead, OnlyTheFirstOfConsecutiveCommandsCloses)
{
    const CheckResult r = compile(DocumentBuilder().effect(0).text("A").pause(1).pause(2).speed(3).font(0));
    EXPECT_EQ(body(r), hexBytes("00 00 41 00 1F 01 1F 02 1E 03 1D 00"));
}

TEST(LookAhead, CommandInAnEmptyRecordBeforeTheNextEffectClosesIt)
{
    EXPECT_EQ(body(compile(DocumentBuilder().effect(0).pause(2).effect(1).text("A"))),
              hexBytes("00 00 00 1F 02 00 01 41 00"));
}

// --- marker arguments -------------------------------------------------------

TEST(Arguments, MarkerWithoutSelectionWritesFF)
{
    DocumentBuilder b;
    b.effect(-1).pause(-1).text("A").info(-1);
    const CheckResult r = compile(b);
    EXPECT_EQ(body(r), hexBytes("00 FF 1F FF 41 03 FF 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_EQ(lines.at(3), "0xFF, // place effect");
    EXPECT_TRUE(lines.contains("0x1F, 0xFF,// Insert EFFECT_PAUSE"));
    EXPECT_TRUE(lines.contains("0x03, 0xFFFFFFFF, // Insert EFFECT_DATETIME"));
}

TEST(Arguments, ClearEffectWithAnAsteriskEntryCompilesByIndex)
{
    EXPECT_EQ(body(compile(DocumentBuilder().clear(23))), hexBytes("01 17 00"));
}

TEST(Arguments, TheArgumentIsTheLowByteOfTheIndex)
{
    EmbeddedControl marker = makeMarker(MarkerKind::Speed, 0);
    marker.ItemIndex = 0x1FF;  // a stream may carry any index
    const CheckResult r = compile(DocumentBuilder().item(SourceItem::controlItem(marker)));
    EXPECT_EQ(body(r), hexBytes("1E FF"));
}

// --- calibration bytes ------------------------------------------------------

TEST(Calibration, FieldsAreReducedModulo256)
{
    struct Case {
        QString text;
        quint8 byte;
        QString shown;
    } cases[] = {
        {u"0"_s, 0, u"0"_s},       {u"300"_s, 0x2C, u"44"_s}, {u"-1"_s, 0xFF, u"255"_s},
        {u"abc"_s, 0, u"0"_s},     {u""_s, 0, u"0"_s},        {u"255"_s, 0xFF, u"255"_s},
        {u"256"_s, 0, u"0"_s},     {u"$1F"_s, 0x1F, u"31"_s}, {u"0x10"_s, 0x10, u"16"_s},
        {u" 17"_s, 17, u"17"_s},   {u"17 "_s, 0, u"0"_s},     {u"99999999999"_s, 0, u"0"_s},
        {u"-2147483648"_s, 0, u"0"_s}, {u"+5"_s, 5, u"5"_s},
    };
    for (const Case &c : cases) {
        const CheckResult r = Compiler::compile(SourceDocument(), c.text, u"7"_s);
        EXPECT_EQ(quint8(r.program.at(3)), c.byte) << c.text.toStdString();
        EXPECT_EQ(r.pressureText, c.shown) << c.text.toStdString();
        EXPECT_EQ(quint8(r.program.at(4)), 7);
        EXPECT_EQ(r.humidityText, u"7"_s);
    }
}

TEST(Calibration, ListingShowsBothValues)
{
    const CheckResult r = Compiler::compile(SourceDocument(), u"300"_s, u"-1"_s);
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_EQ(lines.at(lines.size() - 2), "0x2C,");
    EXPECT_EQ(lines.last(), "0xFF");
}

// --- progress and abort -----------------------------------------------------

TEST(Progress, AfterItemRunsOnceForEveryItemDone)
{
    std::vector<int> seen;
    Compiler::Hooks hooks;
    hooks.afterItem = [&](int done, int total) {
        EXPECT_EQ(total, 4);
        seen.push_back(done);
    };
    const SourceDocument doc = DocumentBuilder().effect(0).text("A").text("B").pause(1).build();
    Compiler::compile(doc, u"0"_s, u"0"_s, hooks);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
}

TEST(Progress, NoProgressForTheItemWithTheError)
{
    std::vector<int> seen;
    Compiler::Hooks hooks;
    hooks.afterItem = [&](int done, int) { seen.push_back(done); };
    const SourceDocument doc = DocumentBuilder().effect(0).text("A").text("B", DocumentBuilder::Green).build();
    const CheckResult r = Compiler::compile(doc, u"0"_s, u"0"_s, hooks);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.itemsDone, 2);
    EXPECT_FALSE(r.aborted);
}

TEST(Progress, AbortStopsAfterTheItemInHandAndCompletesTheFiles)
{
    std::atomic<bool> abort{false};
    Compiler::Hooks hooks;
    hooks.abort = &abort;
    hooks.afterItem = [&](int done, int) {
        if (done == 2)
            abort = true;  // Esc pressed while item 1 was handled
    };
    const SourceDocument doc = DocumentBuilder().effect(0).text("A").text("B").pause(1).build();
    const CheckResult r = Compiler::compile(doc, u"1"_s, u"2"_s, hooks);
    EXPECT_TRUE(r.aborted);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.itemsDone, 2);
    EXPECT_EQ(r.program, hexBytes("02 01 00 00 41 00 03 01 02"));
}
