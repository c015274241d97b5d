// Write, read, write again: a document with every kind of item this system
// makes, both sign colours and pictures comes back unchanged, on disk too.

#include "SourceFileTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QImage signPicture(int width)
{
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    for (int x = 0; x < width; ++x)
        image.setPixel(x, (x * 3) % 8, qRgb(255, 0, 0));
    return image;
}

SourceDocument everything()
{
    DocumentBuilder b;
    b.effect(3).text("Добро пожаловать").pause(5).text(" в магазин ", DocumentBuilder::Dark);
    b.paragraph().speed(12).font(0).clear(23).effect(19).info(4);
    b.paragraph().picture(signPicture(12)).text("!");
    SourceDocument doc = b.build();
    // As the graphic editor inserts it: three times as large.
    SourceItem inserted = SourceItem::pictureItem(Picture::bitmap(signPicture(5)), 0, true);
    inserted.extras.width = 15;
    inserted.extras.height = 24;
    doc.append(inserted);
    doc.append(SourceItem::textItem(QByteArray(), 0, 1));
    doc.background.colour = Colour::EditorBackground;
    return doc;
}

void expectSameItems(const SourceDocument &a, const SourceDocument &b)
{
    ASSERT_EQ(a.itemCount(), b.itemCount());
    for (int i = 0; i < a.itemCount(); ++i) {
        const SourceItem &x = a.item(i);
        const SourceItem &y = b.item(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(x.styleNo, y.styleNo);
        EXPECT_EQ(x.options, y.options);
        EXPECT_EQ(x.paraNo, y.paraNo);
        EXPECT_EQ(x.text, y.text);
        EXPECT_EQ(x.extras, y.extras);
        EXPECT_EQ(bool(x.control), bool(y.control));
        if (x.control && y.control)
            EXPECT_EQ(*x.control, *y.control);
        EXPECT_EQ(bool(x.picture), bool(y.picture));
        if (x.picture && y.picture) {
            EXPECT_EQ(x.picture->className(), y.picture->className());
            EXPECT_EQ(x.picture->image().convertToFormat(QImage::Format_RGB32),
                      y.picture->image().convertToFormat(QImage::Format_RGB32));
        }
    }
}

} // namespace

TEST(SourceFileRoundTrip, EveryMarkerKindPicturesAndBothColoursSurvive)
{
    const SourceDocument doc = everything();
    const QByteArray first = writeSourceBytes(doc);
    const SourceDocument read = readBytes(first);
    EXPECT_TRUE(read.styles == doc.styles);
    EXPECT_EQ(read.background, doc.background);
    expectSameItems(doc, read);

    QList<MarkerKind> kinds;
    for (const SourceItem &item : read.items) {
        if (const auto kind = item.markerKind())
            kinds << *kind;
    }
    EXPECT_EQ(kinds, (QList<MarkerKind>{MarkerKind::Effect, MarkerKind::Pause, MarkerKind::Speed, MarkerKind::Font,
                                        MarkerKind::EffectClear, MarkerKind::Effect, MarkerKind::Info}));
    EXPECT_EQ(writeSourceBytes(read), first);
}

TEST(SourceFileRoundTrip, ThroughFilesInATemporaryDirectory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString one = dir.filePath(u"one.abc"_s);
    const QString two = dir.filePath(u"two.abc"_s);
    ASSERT_TRUE(WriteSourceFile(one, everything()));
    ClassRegistry::registerStandardClasses();
    SourceDocument read;
    FileError error;
    ASSERT_TRUE(ReadSourceFile(one, read, &error)) << error.toString().toStdString();
    ASSERT_TRUE(WriteSourceFile(two, read));
    QFile a(one), b(two);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST(SourceFileRoundTrip, ForeignRecordsAreWrittenBackAsRead)
{
    const QByteArray items = QByteArray("-8 1 3\r\n0 1 0 0 0 0\r\nA\r\n-4 2 -1 1 0 0\r\nhot\r\nspot\r\n")
        + "-60 3 0 0 2 \"t\" 4 5 extra\r\nline one\r\n\r\n" + StreamBytes::block("cells") + "-6 0 0 4 1 0 9\r\n";
    const SourceDocument doc = readBytes(items);
    ASSERT_EQ(doc.itemCount(), 4);
    ASSERT_TRUE(doc.item(2).opaque);
    EXPECT_EQ(doc.item(2).opaque->headerTail, QByteArray("4 5 extra"));
    EXPECT_EQ(doc.item(2).opaque->lineIsBlock, (QList<bool>{false, false, true}));
    const QByteArray written = writeSourceBytes(doc);
    EXPECT_TRUE(written.endsWith(items.mid(8))) << written.constData();
}

TEST(SourceFileRoundTrip, ForeignTablesAreWrittenInThisSystemsForm)
{
    // Integers in long forms, colours as numbers: read, then written the
    // short way, and stable from then on.
    using namespace StreamBytes;
    const QByteArray table = hex("0E 01") + name("StyleName") + hex("0C") + le32(1) + "S" + name("Size")
        + hex("04 0E 00 00 00") + name("Color") + hex("04 FF 00 00 00") + hex("00 00");
    const QByteArray file = "-8 1 3\r\n-9 2 0 0 2 0 1\r\nrvs\r\n" + block(table) + "0 1 0 0 0 0\r\nA\r\n";
    const SourceDocument doc = readBytes(file);
    const QByteArray normal = writeSourceBytes(doc);
    EXPECT_TRUE(normal.contains(block(hex("0E 01") + name("StyleName") + ascii("S") + name("Size") + int8(14)
                                      + name("Color") + ident("clRed") + hex("00 00"))));
    EXPECT_EQ(writeSourceBytes(readBytes(normal)), normal);
}
