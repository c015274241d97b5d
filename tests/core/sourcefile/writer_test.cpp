// The source file writer: the worked example byte for byte, how text items
// group into records, the object records, and saving through a temporary
// file.

#include "SourceFileTestSupport.h"

#include "document/pictures/BitmapFile.h"
#include "document/streams/MarkerStream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace StreamBytes;
using namespace Qt::StringLiterals;

namespace {

SourceDocument twoParagraphs(int secondParaStyle = 0)
{
    SourceDocument doc;
    doc.append(SourceItem::textItem(cp1251("Привет"), 0, 0));
    doc.append(SourceItem::textItem(cp1251("мир"), 0, secondParaStyle));
    return doc;
}

// The item records: what follows the layout block.
QByteArray itemRecords(const SourceDocument &doc)
{
    const QByteArray bytes = writeSourceBytes(doc);
    const QByteArray layout = "-9 2 0 0 2 0 3\r\n\r\n" + block(layoutBlock());
    const qsizetype at = bytes.indexOf(layout);
    EXPECT_GT(at, 0);
    return bytes.mid(at + layout.size());
}

} // namespace

TEST(SourceFileWriter, WorkedExampleByteForByte)
{
    const QByteArray expected = newDocumentPrologue() + "0 2 0 0 0 0\r\n" + hex("CF F0 E8 E2 E5 F2") + "\r\n"
        + hex("EC E8 F0") + "\r\n";
    const QByteArray bytes = writeSourceBytes(twoParagraphs());
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.count("\r\n"), 17 - 4) << "17 lines, of which four are blocks with no line end";
    EXPECT_EQ(newTextStyleTable().size(), 73);
    EXPECT_EQ(newParaStyleTable().size(), 88);
    EXPECT_EQ(layoutBlock().size(), 33);
}

TEST(SourceFileWriter, EmptyDocumentIsAnEmptyFile)
{
    EXPECT_EQ(writeSourceBytes(SourceDocument()), QByteArray());
}

TEST(SourceFileWriter, ParagraphStylesSplitTextRecords)
{
    EXPECT_EQ(itemRecords(twoParagraphs(1)),
              "0 1 0 0 0 0\r\n" + cp1251("Привет") + "\r\n0 1 1 0 0 0\r\n" + cp1251("мир") + "\r\n");
}

TEST(SourceFileWriter, TextAfterAMarkerContinuesTheParagraphInARecordOfItsOwn)
{
    SourceDocument doc;
    doc.append(SourceItem::textItem("A", 0, 0));
    doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, 0), 0, true));
    doc.append(SourceItem::textItem("B", 0, 0, true));
    doc.append(SourceItem::textItem("C", 0, 0, true));
    const QByteArray marker = EncodeMarkerControl(makeMarker(MarkerKind::Effect, 0));
    EXPECT_EQ(itemRecords(doc), "0 1 0 0 0 0\r\nA\r\n-5 3 -1 1 2 0 0\r\n\r\nTEffectComboBox\r\n" + block(marker)
                                    + "0 1 -1 1 0 0\r\nB\r\n0 1 -1 1 0 0\r\nC\r\n");
}

TEST(SourceFileWriter, GroupingNeedsTheSameStyleOptionsTagAndNoCheckpoint)
{
    SourceDocument doc;
    doc.styles.TextStyles.push_back(TFontInfo());
    doc.append(SourceItem::textItem("a", 0, 0));
    doc.append(SourceItem::textItem("b", 1, 0));  // another text style
    SourceItem lineBreak = SourceItem::textItem("c", 1, 0);
    lineBreak.setLineBreakBefore();
    doc.append(lineBreak);                      // other options
    SourceItem tagged = SourceItem::textItem("d", 1, 0);
    tagged.setLineBreakBefore();
    tagged.tag = QByteArray("x\"y");
    doc.append(tagged);                         // a tag
    SourceItem marked = tagged;
    marked.text = "e";
    marked.checkpoint = Checkpoint{"cp", QByteArray(), false, true, false};
    doc.append(marked);                         // a checkpoint
    SourceItem same = tagged;
    same.text = "f";
    doc.append(same);
    EXPECT_EQ(itemRecords(doc), "0 1 0 0 0 0\r\na\r\n"
                                "1 1 0 0 0 0\r\nb\r\n"
                                "1 1 0 4 0 0\r\nc\r\n"
                                "1 1 0 4 0 \"x\"\"y\"\r\nd\r\n"
                                "-2 1 0 0 0 0 1 0\r\ncp\r\n"
                                "1 2 0 4 0 \"x\"\"y\"\r\ne\r\nf\r\n");
}

TEST(SourceFileWriter, ACheckpointNameWithLineEndsGoesIntoABlock)
{
    SourceDocument doc;
    SourceItem item = SourceItem::textItem("a", 0, 0);
    item.checkpoint = Checkpoint{"two\r\nlines", QByteArray(), false, false, false};
    doc.append(item);
    EXPECT_EQ(itemRecords(doc), "-2 1 0 0 2 0 0 0\r\n" + block("two\r\nlines") + "0 1 0 0 0 0\r\na\r\n");
    SourceDocument again;
    ASSERT_TRUE(readSourceBytes(writeSourceBytes(doc), again));
    EXPECT_EQ(again.item(0).checkpoint->name, "two\r\nlines");
}

TEST(SourceFileWriter, EmptyTextIsAnEmptyLineAndHintsFollowTheTag)
{
    SourceDocument doc;
    SourceItem item = SourceItem::textItem(QByteArray(), 0, 0);
    item.hint = "see \"this\"";
    doc.append(item);
    EXPECT_EQ(itemRecords(doc), "0 1 0 0 0 0 \"see \"\"this\"\"\"\r\n\r\n");
}

TEST(SourceFileWriter, PictureRecordCarriesDisplaySizeAndABitmap)
{
    QImage image(5, 8, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    SourceItem item = SourceItem::pictureItem(Picture::bitmap(image), 0);
    item.extras.width = 15;
    item.extras.height = 24;
    SourceDocument doc;
    doc.append(item);
    const QByteArray bitmap = BitmapFile::encode(image);
    EXPECT_EQ(quint8(bitmap[28]), 4);
    EXPECT_EQ(itemRecords(doc), "-3 5 0 0 2 0 0\r\n\r\nTBitmap\r\nwidth=15\r\nheight=24\r\n" + block(bitmap));
}

TEST(SourceFileWriter, ExtraPropertiesInTheirOrderOnlyWhenNotDefault)
{
    SourceItem picture = SourceItem::pictureItem(Picture::bitmap(QImage(1, 8, QImage::Format_RGB32)), 2);
    picture.vAlign = 3;
    picture.tag = QByteArray("t");
    picture.name = "pic";
    ExtraProperties &e = picture.extras;
    e.hint = "a hint";
    e.unremovable = 1;
    e.vshift = -5;
    e.vshiftabs = 1;
    e.spacing = 0;
    e.resizable = 0;
    e.width = 3;
    e.height = 4;
    e.minheightonpage = 6;
    e.nohtmlsize = 1;
    e.ainterval = 100;
    e.transparent = 1;
    e.tmode = 1;
    e.tcolor = 255;
    e.filename = "c:\\a.bmp";
    e.alt = "alt text";
    SourceDocument doc;
    doc.append(picture);
    const QByteArray records = itemRecords(doc);
    EXPECT_TRUE(records.startsWith("-3 19 2 0 2 \"t\" 3\r\npic\r\nTBitmap\r\nhint=a hint\r\nunremovable=1\r\n"
                                   "vshift=-5\r\nvshiftabs=1\r\nspacing=0\r\nresizable=0\r\nwidth=3\r\nheight=4\r\n"
                                   "minheightonpage=6\r\nnohtmlsize=1\r\nainterval=100\r\ntransparent=1\r\n"
                                   "tmode=1\r\ntcolor=255\r\nfilename=c:\\a.bmp\r\nalt=alt text\r\n"))
        << records.left(400).constData();

    SourceItem control = SourceItem::controlItem(makeMarker(MarkerKind::Pause, 0), 0);
    control.extras = e;
    control.extras.resizable = 1;
    control.extras.visible = 0;
    SourceDocument doc2;
    doc2.append(control);
    EXPECT_TRUE(itemRecords(doc2).startsWith("-5 11 0 0 2 0 0\r\n\r\nTPauseComboBox\r\nhint=a hint\r\nunremovable=1\r\n"
                                              "vshift=-5\r\nvshiftabs=1\r\nspacing=0\r\nminheightonpage=6\r\n"
                                              "resizable=1\r\nvisible=0\r\n"));
}

TEST(SourceFileWriter, TabRecordIsAHeaderOnly)
{
    SourceItem tab;
    tab.styleNo = ItemStyle::Tab;
    tab.tabTextStyle = 1;
    tab.setContinuesParagraph();
    SourceDocument doc;
    doc.append(SourceItem::textItem("a", 0, 0));
    doc.append(tab);
    EXPECT_EQ(itemRecords(doc), "0 1 0 0 0 0\r\na\r\n-12 0 -1 1 0 0 1\r\n");
}

TEST(SourceFileWriter, Utf16TextEndsWithTheParagraphSeparator)
{
    SourceItem item = SourceItem::textItem(QByteArray("A\0\x16\x04", 4), 0, 0);  // "Aж"
    item.options |= ItemOption::Utf16Text;
    SourceDocument doc;
    doc.append(item);
    doc.append(item);
    doc.append(SourceItem::textItem("b", 0, 0));
    EXPECT_EQ(itemRecords(doc), "0 2 0 8 0 0\r\n" + hex("41 00 16 04 29 20 41 00 16 04 29 20") + "0 1 0 0 0 0\r\nb\r\n");
}

TEST(SourceFileWriter, LineEndsInsideATextBecomeLineBreaks)
{
    SourceDocument doc;
    doc.append(SourceItem::textItem(QByteArray("one\r\ntwo\nth\0ree", 15), 0, 0));
    EXPECT_EQ(itemRecords(doc), "0 1 0 0 0 0\r\none\r\n0 2 0 4 0 0\r\ntwo\r\nthree\r\n");
    const SourceDocument read = readBytes(writeSourceBytes(doc));
    ASSERT_EQ(read.itemCount(), 3);
    EXPECT_EQ(read.item(2).text, QByteArray("three"));
    EXPECT_TRUE(read.item(2).options & ItemOption::LineBreakBefore);
}

TEST(SourceFileWriter, BackgroundPictureUsesTheSecondForm)
{
    SourceDocument doc = twoParagraphs();
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    doc.background.picture = Picture::bitmap(image);
    doc.background.mode = 2;
    doc.background.colour = Colour::Green;
    const QByteArray bytes = writeSourceBytes(doc);
    EXPECT_TRUE(bytes.startsWith("-8 1 3\r\n-7 2 0 0 2 0 2 32768\r\nTBitmap\r\n" + block(BitmapFile::encode(image))
                                 + "-9 2 0 0 2 0 1\r\n"));
    doc.background.mode = 0;
    EXPECT_TRUE(writeSourceBytes(doc).startsWith("-8 1 3\r\n-7 0 -1 0 0 0 0 32768\r\n-9 "));
}

TEST(SourceFileWriter, ObjectsWithoutPictureOrControlAreLeftOut)
{
    SourceDocument doc;
    SourceItem picture;
    picture.styleNo = ItemStyle::Picture;
    SourceItem control;
    control.styleNo = ItemStyle::Control;
    doc.append(picture);
    doc.append(control);
    EXPECT_EQ(itemRecords(doc), QByteArray());
}

TEST(WriteSourceFile, ReplacesTheFileAndReportsFailures)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"message.abc"_s);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    FileError error;
    ASSERT_TRUE(WriteSourceFile(path, twoParagraphs(), &error)) << error.toString().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), writeSourceBytes(twoParagraphs()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"message.abc"_s}) << "no temporary file left";

    const QString missing = dir.filePath(u"no/such/dir/x.abc"_s);
    EXPECT_FALSE(WriteSourceFile(missing, twoParagraphs(), &error));
    EXPECT_EQ(error.fileName, missing);
    EXPECT_FALSE(error.reason.isEmpty());
}

