// The source file reader: the worked example, files this system did not
// write (older versions, unknown records, hexadecimal bodies, UTF-16 text,
// checkpoints) and the faults that make a read fail with what came before
// kept.

#include "SourceFileTestSupport.h"

#include "document/pictures/BitmapFile.h"
#include "document/sourcefile/HeaderFields.h"
#include "document/pictures/InvalidPicture.h"
#include "document/streams/MarkerStream.h"
#include "document/streams/StyleStreams.h"

#include <QTemporaryDir>

#include <type_traits>

using namespace StreamBytes;
using namespace Qt::StringLiterals;

namespace {

const QByteArray WorkedExample = newDocumentPrologue() + "0 2 0 0 0 0\r\n" + hex("CF F0 E8 E2 E5 F2") + "\r\n"
    + hex("EC E8 F0") + "\r\n";

QByteArray markerRecord(const char *header, MarkerKind kind, int index)
{
    return QByteArray(header) + "\r\n\r\n" + markerKindInfo(kind).className + "\r\n"
        + block(EncodeMarkerControl(makeMarker(kind, index)));
}

QByteArray bitmapBody(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    return BitmapFile::encode(image);
}

FileError failure(const QByteArray &bytes, SourceDocument *doc = nullptr)
{
    ClassRegistry::registerStandardClasses();
    SourceDocument local;
    FileError error;
    EXPECT_FALSE(readSourceBytes(bytes, doc ? *doc : local, &error)) << bytes.left(200).toHex(' ').constData();
    EXPECT_FALSE(error.reason.isEmpty());
    return error;
}

} // namespace

TEST(SourceFileReader, WorkedExampleGivesBackTheDocument)
{
    SourceDocument doc;
    doc.background.colour = 0;
    doc.layout.LeftMargin = 99;
    doc.styles.TextStyles.clear();
    ASSERT_TRUE(readSourceBytes(WorkedExample, doc));
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.unicodeText(0), u"Привет"_s);
    EXPECT_EQ(doc.unicodeText(1), u"мир"_s);
    for (const SourceItem &item : doc.items) {
        EXPECT_EQ(item.styleNo, 0);
        EXPECT_EQ(item.paraNo, 0);
        EXPECT_TRUE(item.startsParagraph()) << "each line of a text record starts a paragraph";
        EXPECT_FALSE(item.tag);
    }
    EXPECT_TRUE(doc.styles == TRVStyle::newDocument());
    EXPECT_EQ(doc.background.colour, 56);
    EXPECT_EQ(doc.background.mode, 0);
    EXPECT_EQ(doc.layout, DocumentLayout());
    EXPECT_EQ(writeSourceBytes(doc), WorkedExample);
}

TEST(SourceFileReader, EmptyFileIsAnEmptyDocument)
{
    SourceDocument doc = DocumentBuilder().effect(0).text("x").build();
    ASSERT_TRUE(readSourceBytes(QByteArray(), doc));
    EXPECT_EQ(doc.itemCount(), 0);
}

TEST(SourceFileReader, NextHeaderFollowsABlockDirectly)
{
    const QByteArray bytes = "-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + block(layoutBlock()) + "0 1 0 0 0 0\r\nx\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.item(0).text, QByteArray("x"));
    // With a line end after the block, the next header would be an empty
    // line, which is not a header.
    failure("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + block(layoutBlock()) + "\r\n0 1 0 0 0 0\r\nx\r\n");
}

TEST(SourceFileReader, OutOfRangeStylesBecomeZero)
{
    SourceDocument doc;
    doc.styles.TextStyles.resize(3);
    ASSERT_TRUE(readSourceBytes("7 1 5 0 0 0\r\nA\r\n2 1 1 0 0 0\r\nB\r\n", doc));
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.item(0).styleNo, 0);
    EXPECT_EQ(doc.item(0).paraNo, 0);
    EXPECT_EQ(doc.item(1).styleNo, 2);
    EXPECT_EQ(doc.item(1).paraNo, 1);
}

TEST(SourceFileReader, UnknownRecordsAreSkippedByTheirLineCount)
{
    const QByteArray bytes = "-8 1 3\r\n-77 2 0 0 2 0\r\nanything\r\n" + block("\r\n\r\n-8 garbage") + "-78 1 0 0 0 0\r\nline\r\n"
        + "0 1 0 0 0 0\r\nafter\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.item(0).text, QByteArray("after"));
}

TEST(SourceFileReader, UnknownPictureAndControlClassesAreDropped)
{
    const QByteArray bytes = "-8 1 3\r\n-3 3 0 0 2 0 0\r\n\r\nTPNGImage\r\n" + block("\x89PNG")
        + "-5 3 0 0 2 0 0\r\n\r\nTButton\r\n" + block("TPF0\x07TButton\x00\x00\x00") + "0 1 0 0 0 0\r\nrest\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.item(0).text, QByteArray("rest"));
}

TEST(SourceFileReader, MarkersAreKeptInAProgramThatRegisteredNoClasses)
{
    // A program that forgot the registry: the reader registers what it needs.
    ClassRegistry::clear();
    SourceDocument doc;
    ASSERT_TRUE(readSourceBytes("-8 1 3\r\n" + markerRecord("-5 3 0 0 2 0", MarkerKind::Effect, 2), doc));
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.item(0).markerKind(), MarkerKind::Effect);
    EXPECT_EQ(doc.item(0).control->ItemIndex, 2);
}

TEST(SourceFileReader, VersionOneZeroHeadersHaveNoItemOptions)
{
    // No version record: 1.0. Fields: style, lines, paragraph, data mode, tag.
    const QByteArray bytes = QByteArray("0 1 0 0 0\r\nold\r\n0 1 -1 0 0\r\ncont\r\n");
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.item(0).options, 0);
    EXPECT_EQ(doc.item(1).options, ItemOption::ContinuesParagraph);
    // In 1.3 the same lines would lack a field.
    failure("-8 1 3\r\n0 1 0 0\r\nold\r\n");
}

TEST(SourceFileReader, QuotedTagsFromVersionOneThreeAndQuotedStyleNames)
{
    SourceDocument doc;
    doc.styles.TextStyles.push_back(TFontInfo::normalText());
    doc.styles.TextStyles.back().StyleName = u"Красный \"заголовок\""_s;
    const QByteArray name = CodePage::toWindows1251(u"\"Красный \"\"заголовок\"\"\""_s);
    const QByteArray bytes = "-8 1 3\r\n" + name + " 1 \"Centered\" 0 0 \"a tag\" \"the hint\"\r\nA\r\n"
        + "\"Nothing\" 1 \"Nothing\" 0 0 0\r\nB\r\n-8 1 2\r\n0 1 0 0 0 \"q\r\nC\r\n";
    ASSERT_TRUE(readSourceBytes(bytes, doc));
    ASSERT_EQ(doc.itemCount(), 3);
    EXPECT_EQ(doc.item(0).styleNo, 1);
    EXPECT_EQ(doc.item(0).paraNo, 1);
    EXPECT_EQ(doc.item(0).tag, QByteArray("a tag"));
    EXPECT_EQ(doc.item(0).hint, QByteArray("the hint"));
    EXPECT_EQ(doc.item(1).styleNo, 0);
    EXPECT_EQ(doc.item(1).paraNo, 0);
    EXPECT_FALSE(doc.item(1).tag);
    EXPECT_EQ(doc.item(2).tag, QByteArray("\"q")) << "before 1.3 a quote is part of the tag";
}

TEST(SourceFileReader, HexadecimalBodiesReadLikeBlocks)
{
    QByteArray bytes = "-8 1 3\r\n-9 2 0 0 0 0 1\r\nrvs\r\n" + EncodeStyleTable(std::vector<TFontInfo>(2)).toHex().toUpper()
        + "\r\n-3 3 0 0 0 0 0\r\n\r\nTBitmap\r\n" + bitmapBody(4, 8).toHex() + "\r\n";
    const SourceDocument doc = readBytes(bytes);
    EXPECT_EQ(doc.styles.TextStyles.size(), 2u);
    ASSERT_EQ(doc.itemCount(), 1);
    ASSERT_TRUE(doc.item(0).picture);
    EXPECT_EQ(doc.item(0).picture->width(), 4);
    EXPECT_EQ(doc.item(0).picture->height(), 8);

    failure("-8 1 3\r\n-9 2 0 0 0 0 1\r\nrvs\r\n0E0\r\n");
    failure("-8 1 3\r\n-9 2 0 0 0 0 1\r\nrvs\r\n0EZZ\r\n");
}

TEST(SourceFileReader, Utf16TextItemsAndHexadecimalUtf16)
{
    // A UTF-16 item in an 8-bit style becomes 8-bit text in the style's
    // code page; hexadecimal UTF-16 likewise.
    const QByteArray bytes = "-8 1 3\r\n0 2 0 8 0 0\r\n" + hex("1F 04 40 04 29 20 41 00 00 00")
        + "0 1 0 0 3 0\r\n1F044004\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 3);
    EXPECT_EQ(doc.item(0).text, cp1251("Пр"));
    EXPECT_FALSE(doc.item(0).isUtf16());
    EXPECT_EQ(doc.item(1).text, QByteArray("A"));
    EXPECT_EQ(doc.item(2).text, cp1251("Пр"));
}

TEST(SourceFileReader, TextOfAUnicodeStyleIsHeldAsUtf16)
{
    TFontInfo unicode = TFontInfo::normalText();
    unicode.Unicode = true;
    const QByteArray bytes = "-8 1 3\r\n-9 2 0 0 2 0 1\r\nrvs\r\n" + block(EncodeStyleTable(std::vector<TFontInfo>{unicode}))
        + "0 1 0 0 0 0\r\n" + cp1251("Ж") + "\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_TRUE(doc.item(0).isUtf16());
    EXPECT_EQ(doc.item(0).text, hex("16 04"));
    EXPECT_EQ(doc.unicodeText(0), u"Ж"_s);
    EXPECT_EQ(writeSourceBytes(doc).right(17), "0 1 0 8 0 0\r\n" + hex("16 04 29 20"))
        << "written back as UTF-16";
}

TEST(SourceFileReader, CheckpointsAttachToTheNextItem)
{
    const QByteArray bytes = "-8 1 3\r\n-2 1 0 0 0 \"t\" 1 1\r\nmark\r\n-3 3 0 0 2 0 0\r\n\r\nTPNGImage\r\n"
        + block("x") + "0 1 0 0 0 0\r\nA\r\n-2 1 0 0 0 0\r\nsecond\r\n0 1 0 0 0 0\r\nB\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 2);
    ASSERT_TRUE(doc.item(0).checkpoint) << "a dropped picture does not take the checkpoint";
    EXPECT_EQ(*doc.item(0).checkpoint, (Checkpoint{"mark", "t", true, true, true}));
    ASSERT_TRUE(doc.item(1).checkpoint);
    EXPECT_EQ(*doc.item(1).checkpoint, (Checkpoint{"second", QByteArray(), false, false, false}));
    EXPECT_EQ(writeSourceBytes(doc).mid(newDocumentPrologue().size()),
              "-2 1 0 0 0 \"t\" 1 1\r\nmark\r\n0 1 0 0 0 0\r\nA\r\n-2 1 0 0 0 0 0 0\r\nsecond\r\n0 1 0 0 0 0\r\nB\r\n");
}

TEST(SourceFileReader, ParagraphsContinueUnlessAfterAFullWidthItem)
{
    const QByteArray bytes = QByteArray("-8 1 3\r\n0 1 -1 0 0 0\r\nfirst\r\n0 1 1 0 0 0\r\nB\r\n0 1 -1 6 0 0\r\nC\r\n")
        + "-1 1 0 0 0 0\r\nline data\r\n0 1 -1 0 0 0\r\nD\r\n0 1 1 5 0 0\r\nE\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 6);
    EXPECT_EQ(doc.item(0).options, 0) << "nothing before it to continue";
    EXPECT_EQ(doc.item(0).paraNo, 0);
    EXPECT_EQ(doc.item(2).options, ItemOption::ContinuesParagraph) << "breaks cleared";
    EXPECT_EQ(doc.item(2).paraNo, 1);
    EXPECT_EQ(doc.item(3).styleNo, ItemStyle::Break);
    ASSERT_TRUE(doc.item(3).opaque);
    EXPECT_EQ(doc.item(3).opaque->lines, QList<QByteArray>{"line data"});
    EXPECT_EQ(doc.item(4).options, 0) << "a horizontal line cannot be continued";
    EXPECT_EQ(doc.item(4).paraNo, 0);
    EXPECT_EQ(doc.item(5).options, ItemOption::LineBreakBefore) << "bit 0 without -1 is cleared";
}

TEST(SourceFileReader, ObjectsWithTheirExtraLinesAndTabs)
{
    const QByteArray bytes = "-8 1 3\r\n-3 6 0 0 2 0 2\r\nname\r\nTBitmap\r\nwidth=15\r\nheight=oops\r\nunknown=3\r\n"
        + block(bitmapBody(5, 8)) + markerRecord("-5 3 -1 1 2 0", MarkerKind::Speed, 4)
        + "-12 0 -1 1 0 0 7\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 3);
    const SourceItem &picture = doc.item(0);
    EXPECT_EQ(picture.name, QByteArray("name"));
    EXPECT_EQ(picture.vAlign, 2);
    EXPECT_EQ(picture.extras.width, 15);
    EXPECT_EQ(picture.extras.height, 0) << "not a number gives 0";
    EXPECT_EQ(picture.picture->className(), QByteArray("TBitmap"));
    EXPECT_EQ(picture.picture->width(), 5);
    EXPECT_EQ(picture.vAlign, 2);
    ASSERT_TRUE(doc.item(1).control);
    EXPECT_EQ(doc.item(1).markerKind(), MarkerKind::Speed);
    EXPECT_EQ(doc.item(1).control->ItemIndex, 4);
    EXPECT_EQ(doc.item(1).vAlign, 0) << "missing alignment is 0";
    EXPECT_TRUE(doc.item(2).isTab());
    EXPECT_EQ(doc.item(2).tabTextStyle, 0) << "style 7 is outside the table";
}

TEST(SourceFileReader, UndecodablePictureShowsTheInvalidPictureAndKeepsItsBytes)
{
    const QByteArray bytes = "-8 1 3\r\n-3 3 0 0 2 0 0\r\n\r\nTBitmap\r\n" + block("BM broken")
        + "-3 3 0 0 2 0 0\r\n\r\nTJPEGImage\r\n" + block("\xFF\xD8 nope") + "0 1 0 0 0 0\r\nend\r\n";
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 3);
    EXPECT_EQ(doc.item(0).picture->image(), invalidPictureImage());
    EXPECT_EQ(doc.item(0).picture->body(), QByteArray("BM broken"));
    EXPECT_EQ(doc.item(1).picture->className(), QByteArray("TJPEGImage"));
    EXPECT_EQ(doc.item(1).picture->image().size(), QSize(32, 32));
    EXPECT_TRUE(writeSourceBytes(doc).contains(block("BM broken")));
}

TEST(SourceFileReader, BackgroundRecordSetsColourModeAndPicture)
{
    SourceDocument doc;
    const QByteArray body = bitmapBody(2, 2);
    ASSERT_TRUE(readSourceBytes("-8 1 3\r\n-7 2 0 0 2 0 4 255\r\nTBitmap\r\n" + block(body), doc));
    EXPECT_EQ(doc.background.colour, Colour::Red);
    EXPECT_EQ(doc.background.mode, 4);
    ASSERT_TRUE(doc.background.picture);
    EXPECT_EQ(doc.background.picture->width(), 2);
    ASSERT_TRUE(readSourceBytes("-8 1 3\r\n-7 0 -1 0 0 0 0 -16777216\r\n", doc));
    EXPECT_EQ(doc.background.colour, qint32(0xFF000000u));
    EXPECT_FALSE(doc.background.picture) << "a background record clears the picture";
}

TEST(SourceFileReader, LayoutBlocksOfEverySize)
{
    QByteArray longer = layoutBlock();
    longer[4] = 41;
    longer += QByteArray(16, '\x01');
    SourceDocument doc;
    ASSERT_TRUE(readSourceBytes("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + block(longer), doc));
    EXPECT_EQ(doc.layout, DocumentLayout());

    QByteArray short24 = layoutBlock();
    short24[4] = 24;
    const FileError error = failure("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + block(short24));
    EXPECT_TRUE(error.reason.contains(u"24"_s)) << error.reason.toStdString();
    failure("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + block(layoutBlock().left(30)));
}

TEST(SourceFileReader, EmptyStyleTablesLeaveTheDocumentsOwn)
{
    SourceDocument doc;
    doc.styles.TextStyles.push_back(TFontInfo());
    const QByteArray bytes = "-8 1 3\r\n-9 2 0 0 2 0 1\r\nrvs\r\n" + block(hex("0E 00")) + "-9 2 0 0 2 0 2\r\nrvs\r\n"
        + block(QByteArray()) + "-9 2 0 0 2 0 4\r\nrvs\r\n" + block(hex("0E 00"));
    ASSERT_TRUE(readSourceBytes(bytes, doc));
    EXPECT_EQ(doc.styles.TextStyles.size(), 2u);
    EXPECT_EQ(doc.styles.ParaStyles.size(), 2u);
}

TEST(SourceFileReader, MalformedDataFailsAndKeepsWhatCameBefore)
{
    SourceDocument doc;
    TFontInfo green;
    green.Color = Colour::Green;
    const QByteArray before = "-8 1 3\r\n-7 0 -1 0 0 0 0 255\r\n-9 2 0 0 2 0 1\r\nrvs\r\n"
        + block(EncodeStyleTable(std::vector<TFontInfo>{green, green})) + "0 1 0 0 0 0\r\nkept\r\n";
    const FileError error = failure(before + "0 x 0 0 0 0\r\nlost\r\n", &doc);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.item(0).text, QByteArray("kept"));
    EXPECT_EQ(doc.styles.TextStyles.size(), 2u);
    EXPECT_EQ(doc.background.colour, Colour::Red);
    EXPECT_EQ(error.line, 8);
    EXPECT_EQ(error.offset, before.size());
}

TEST(SourceFileReader, EveryKindOfMalformedDataFails)
{
    const QByteArray marker = EncodeMarkerControl(makeMarker(MarkerKind::Pause, 1));
    const std::vector<std::pair<const char *, QByteArray>> cases{
        {"style number not a number", "x 1 0 0 0 0\r\nA\r\n"},
        {"missing line count", "0\r\n"},
        {"negative line count", "0 -1 0 0 0 0\r\n"},
        {"number too big", "0 99999999999 0 0 0 0\r\n"},
        {"missing data mode", "-8 1 3\r\n0 1 0 0\r\nA\r\n"},
        {"version without numbers", "-8 x\r\n"},
        {"no CR LF before a block", "-9 2 0 0 2 0 3\r\n\n" + block(layoutBlock())},
        {"block length past the end", "-9 2 0 0 2 0 3\r\n\r\n" + le32(1000) + "abc"},
        {"negative block length", "-9 2 0 0 2 0 3\r\n\r\n" + le32(-5) + "abc"},
        {"block length cut short", "-9 2 0 0 2 0 3\r\n\r\n\x01\x00"},
        {"table not starting with 0E", "-9 2 0 0 2 0 1\r\nrvs\r\n" + block(hex("01 00"))},
        {"broken table", "-9 2 0 0 2 0 2\r\nrvs\r\n" + block(hex("0E 01 04"))},
        {"record cut short", "0 3 0 0 0 0\r\nA\r\nB\r\n"},
        {"picture cut short", "-3 3 0 0 2 0 0\r\n\r\nTBitmap\r\n"},
        {"invalid component stream",
         "-5 3 0 0 2 0 0\r\n\r\nTPauseComboBox\r\n" + block(marker.left(marker.size() - 3) + hex("00 00"))},
        {"unknown marker property",
         "-5 3 0 0 2 0 0\r\n\r\nTPauseComboBox\r\n" + block("TPF0" + name("X") + hex("00") + name("Colour")
                                                               + int8(1) + hex("00 00"))},
        {"vertical alignment not a number", "-3 3 0 0 2 0 top\r\n\r\nTBitmap\r\n" + block("x")},
        {"unclosed quoted tag", "-8 1 3\r\n0 1 0 0 0 \"open\r\nA\r\n"},
        {"unclosed quoted style", "\"Normal 1 0 0 0 0\r\nA\r\n"},
        {"background without colour", "-8 1 3\r\n-7 0 -1 0 0 0 0\r\n"},
        {"UTF-16 text without CR LF", "-8 1 3\r\n0 1 0 8 0 0\n" + hex("41 00 29 20")},
    };
    for (const auto &[what, bytes] : cases) {
        SCOPED_TRACE(what);
        failure(bytes.startsWith("-8") ? bytes : "-8 1 3\r\n" + bytes);
    }
}

TEST(SourceFileReader, NulBytesAndOddEndsDoNotLoopForever)
{
    // A record announcing two billion lines over a run of NULs ends when
    // the bytes do.
    failure("0 2000000000 0 0 0 0\r\n" + QByteArray(1000, '\0'));
    failure("-8 1 3\r\n0 2000000000 0 8 0 0\r\n" + QByteArray(999, '\0'));
    const SourceDocument doc = readBytes(QByteArray("0 1 0 0 0 0\r\nA\0", 16), false);
    EXPECT_EQ(doc.itemCount(), 1);
}

// Header fields walk a view of their line: a line that dies at the end of
// the declaration does not compile.
TEST(HeaderFields, RefuseATemporaryLineAtCompileTime)
{
    static_assert(!std::is_constructible_v<HeaderFields, QByteArray>);
    static_assert(std::is_constructible_v<HeaderFields, const QByteArray &>);
    static_assert(std::is_constructible_v<HeaderFields, QByteArrayView>);
}

TEST(ReadSourceFile, UnopenableFileLeavesTheDocumentAlone)
{
    QTemporaryDir dir;
    SourceDocument doc = DocumentBuilder().effect(0).text("x").build();
    FileError error;
    const QString path = dir.filePath(u"missing.abc"_s);
    EXPECT_FALSE(ReadSourceFile(path, doc, &error));
    EXPECT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(error.fileName, path);
    EXPECT_FALSE(error.reason.isEmpty());
}

TEST(SourceFileReader, StyleTableReadAfterItsItemsStillCoversThem)
{
    // Found by fuzzing: a second, shorter table replaced the one the items
    // were checked against, and their style numbers pointed past its end.
    TFontInfo unicode = TFontInfo::normalText();
    unicode.Unicode = true;
    const QByteArray twoStyles = block(EncodeStyleTable(std::vector<TFontInfo>{TFontInfo(), TFontInfo()}));
    const QByteArray oneStyle = block(EncodeStyleTable(std::vector<TFontInfo>{unicode}));
    const QByteArray oneParagraph = block(EncodeStyleTable(std::vector<TParaInfo>{TParaInfo()}));
    const QByteArray bytes = "-8 1 3\r\n-9 2 0 0 2 0 1\r\nrvs\r\n" + twoStyles + "1 1 1 0 0 0\r\nA\r\n-12 0 0 0 0 0 1\r\n"
        + "-9 2 0 0 2 0 1\r\nrvs\r\n" + oneStyle + "-9 2 0 0 2 0 2\r\nrvs\r\n" + oneParagraph;
    const SourceDocument doc = readBytes(bytes);
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.item(0).styleNo, 0);
    EXPECT_EQ(doc.item(0).paraNo, 0);
    EXPECT_TRUE(doc.item(0).isUtf16()) << "and its text takes the form of its new style";
    EXPECT_EQ(doc.unicodeText(0), u"A"_s);
    EXPECT_EQ(doc.item(1).tabTextStyle, 0);
}
