// Picture bodies: bitmaps written at 4 bits per pixel, every bitmap variant
// read back to its pixels, JPEG through libjpeg, and bodies that cannot be
// decoded.

#include "QtPrinters.h"
#include "StreamBytes.h"

#include "document/pictures/BitmapFile.h"
#include "document/pictures/InvalidPicture.h"
#include "document/pictures/JpegDecoder.h"
#include "document/pictures/PictureCodec.h"

#include <QBuffer>
#include <QImageWriter>

#include <gtest/gtest.h>

using namespace StreamBytes;

namespace {

constexpr QRgb Red = 0xFFFF0000u;
constexpr QRgb Black = 0xFF000000u;

// A bitmap file around `data` (rows as the variant stores them).
QByteArray bmpFile(int width, int height, int bitsPerPixel, int compression, const QList<QRgb> &palette,
                   const QByteArray &data, const QByteArray &masks = QByteArray())
{
    QByteArray info = le32(40) + le32(width) + le32(height) + le16(1) + le16(bitsPerPixel) + le32(compression)
        + le32(data.size()) + le32(0) + le32(0) + le32(palette.size()) + le32(0);
    QByteArray table = masks;
    for (const QRgb c : palette)
        table += bytes({qBlue(c), qGreen(c), qRed(c), 0});
    const int offset = 14 + info.size() + table.size();
    return "BM" + le32(offset + data.size()) + le32(0) + le32(offset) + info + table + data;
}

QList<QRgb> pixels(const QImage &image)
{
    QList<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out << (image.pixel(x, y) | 0xFF000000u);
    return out;
}

QImage decoded(const QByteArray &file)
{
    const auto image = BitmapFile::decode(file);
    EXPECT_TRUE(image.has_value());
    return image.value_or(QImage());
}

QImage redBlackPicture()
{
    QImage image(3, 8, QImage::Format_RGB32);
    image.fill(Black);
    for (int y = 0; y < 8; ++y)
        image.setPixel(0, y, Red);
    image.setPixel(2, 0, Red);
    return image;
}

} // namespace

TEST(BitmapWriter, RedAndBlackPictureIsFourBitsWithTheStandardPalette)
{
    const QByteArray file = BitmapFile::encode(redBlackPicture());
    QByteArray expected = "BM" + le32(118 + 32) + le32(0) + le32(118);
    expected += le32(40) + le32(3) + le32(8) + le16(1) + le16(4) + le32(0) + le32(32) + le32(0) + le32(0)
        + le32(0) + le32(0);
    for (const QRgb c : BitmapFile::standardPalette())
        expected += bytes({qBlue(c), qGreen(c), qRed(c), 0});
    // Bottom row first: red (index 9), black, black; the top row ends red.
    for (int row = 0; row < 7; ++row)
        expected += hex("90 00 00 00");
    expected += hex("90 90 00 00");
    EXPECT_EQ(file, expected);
}

TEST(BitmapWriter, NoColourIsLost)
{
    // At most sixteen colours outside the standard palette: four bits with
    // their own table; more: 24 bits.
    QImage few(4, 8, QImage::Format_RGB32);
    few.fill(qRgb(1, 2, 3));
    few.setPixel(3, 7, qRgb(200, 100, 50));
    const QByteArray fewFile = BitmapFile::encode(few);
    EXPECT_EQ(quint8(fewFile[28]), 4);
    EXPECT_EQ(pixels(decoded(fewFile)), pixels(few));

    QImage many(20, 8, QImage::Format_RGB32);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 8; ++y)
            many.setPixel(x, y, qRgb(x * 10, y * 20, 7));
    const QByteArray manyFile = BitmapFile::encode(many);
    EXPECT_EQ(quint8(manyFile[28]), 24);
    EXPECT_EQ(pixels(decoded(manyFile)), pixels(many));
}

TEST(BitmapWriter, WideAndIndexedPicturesReadBackToTheSamePixels)
{
    QImage wide(1001, 8, QImage::Format_RGB32);
    wide.fill(Black);
    for (int x = 0; x < 1001; x += 3)
        wide.setPixel(x, x % 8, Red);
    EXPECT_EQ(pixels(decoded(BitmapFile::encode(wide))), pixels(wide));
    const QImage indexed = wide.convertToFormat(QImage::Format_Indexed8);
    EXPECT_EQ(pixels(decoded(BitmapFile::encode(indexed))), pixels(wide));
}

TEST(BitmapReader, ReadsEveryVariant)
{
    struct Case {
        const char *what;
        QByteArray file;
        int width;
        QList<QRgb> expected;  // top row first
    };
    const QRgb green = qRgb(0, 255, 0);
    const std::vector<Case> cases{
        {"1 bit", bmpFile(3, 2, 1, 0, {Black, Red}, hex("A0 00 00 00 40 00 00 00")), 3,
         {Black, Red, Black, Red, Black, Red}},
        {"4 bits", bmpFile(3, 1, 4, 0, {Black, Red, green}, hex("12 10 00 00")), 3, {Red, green, Red}},
        {"8 bits", bmpFile(2, 2, 8, 0, {Black, Red}, hex("01 00 00 00 00 01 00 00")), 2, {Black, Red, Red, Black}},
        {"RLE8", bmpFile(4, 2, 8, 1, {Black, Red}, hex("04 01 00 00 02 00 02 01 00 01")), 4,
         {Black, Black, Red, Red, Red, Red, Red, Red}},
        {"RLE4", bmpFile(4, 1, 4, 2, {Black, Red, green}, hex("04 12 00 01")), 4, {Red, green, Red, green}},
        // 16-bit channels widen as the top bits of a byte, as Windows reads
        // them: full red is 0xF8, not 0xFF.
        {"16 bits 5-5-5", bmpFile(2, 1, 16, 0, {}, le16(0x7C00) + le16(0x0000)), 2, {qRgb(0xF8, 0, 0), Black}},
        {"16 bits 5-6-5 bit fields", bmpFile(2, 1, 16, 3, {}, le16(0xF800) + le16(0x07E0),
                                             le32(0xF800) + le32(0x07E0) + le32(0x001F)),
         2, {qRgb(0xF8, 0, 0), qRgb(0, 0xFC, 0)}},
        {"24 bits", bmpFile(2, 1, 24, 0, {}, hex("00 00 FF 00 FF 00 00 00")), 2, {Red, green}},
        {"32 bits", bmpFile(2, 1, 32, 0, {}, hex("00 00 FF 00 00 FF 00 00")), 2, {Red, green}},
        {"top-down rows", bmpFile(1, -2, 8, 0, {Black, Red}, hex("01 00 00 00 00 00 00 00")), 1, {Red, Black}},
    };
    for (const Case &c : cases) {
        const auto image = BitmapFile::decode(c.file);
        ASSERT_TRUE(image.has_value()) << c.what;
        EXPECT_EQ(image->width(), c.width) << c.what;
        EXPECT_EQ(pixels(*image), c.expected) << c.what;
    }
}

TEST(BitmapReader, PlainBitmapsReadAsQtsOwnReaderReadsThem)
{
    // Plain bitmaps are read without Qt's reader; both must agree on every
    // pixel, top-down rows included.
    quint32 seed = 12345;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (const int bits : {1, 4, 8, 24, 32}) {
        for (const int height : {8, -3}) {
            const int width = 13;
            const qsizetype stride = ((width * bits + 31) / 32) * 4;
            QByteArray data;
            for (qsizetype i = 0; i < stride * std::abs(height); ++i)
                data.append(char(next()));
            QList<QRgb> palette;
            for (int i = 0; bits <= 8 && i < (1 << bits); ++i)
                palette << qRgb(int(next() & 0xFF), int(next() & 0xFF), int(next() & 0xFF));
            const QByteArray file = bmpFile(width, height, bits, 0, palette, data);
            const QImage ours = decoded(file);
            const QImage qts = QImage::fromData(file, "BMP");
            ASSERT_FALSE(qts.isNull()) << bits;
            EXPECT_EQ(ours.size(), qts.size()) << bits << " bits, height " << height;
            EXPECT_EQ(pixels(ours), pixels(qts)) << bits << " bits, height " << height;
        }
    }
}

TEST(BitmapReader, ReadsTheOldTwelveByteHeader)
{
    const QByteArray core = le32(12) + le16(1) + le16(1) + le16(1) + le16(24);
    const QByteArray data = hex("00 00 FF 00");
    const QByteArray file = "BM" + le32(26 + 4) + le32(0) + le32(26) + core + data;
    EXPECT_EQ(pixels(decoded(file)), (QList<QRgb>{Red}));
}

TEST(BitmapReader, ReadsTheLongerHeadersOfNewerFiles)
{
    // A 124-byte header: the 40 bytes of the usual one, then colour masks,
    // colour space, end points, gamma and profile fields.
    const QByteArray data = hex("00 00 FF 00");
    QByteArray info = le32(124) + le32(1) + le32(1) + le16(1) + le16(24) + le32(0) + le32(data.size()) + le32(0)
        + le32(0) + le32(0) + le32(0);
    info += QByteArray(124 - 40, '\0');
    const int offset = 14 + info.size();
    const QByteArray file = "BM" + le32(offset + data.size()) + le32(0) + le32(offset) + info + data;
    EXPECT_EQ(pixels(decoded(file)), (QList<QRgb>{Red}));
}

TEST(BitmapReader, RefusesWhatCannotBeTrusted)
{
    const std::vector<std::pair<const char *, QByteArray>> bad{
        {"no signature", "XX" + bmpFile(1, 1, 24, 0, {}, hex("00 00 FF 00")).mid(2)},
        {"rows missing", bmpFile(100, 100, 24, 0, {}, hex("00 00 FF 00"))},
        {"a billion pixels", bmpFile(40000, 40000, 8, 1, {Black}, hex("00 01"))},
        {"negative width", bmpFile(-4, 1, 24, 0, {}, QByteArray(16, '\0'))},
        {"header cut short", bmpFile(1, 1, 24, 0, {}, hex("00 00 FF 00")).left(30)},
        {"unknown compression", bmpFile(1, 1, 24, 9, {}, hex("00 00 FF 00"))},
        {"pixels past the end", [] {
             QByteArray f = bmpFile(4, 2, 8, 1, {Black, Red}, hex("04 01 00 01"));
             f.replace(10, 4, le32(1 << 22));
             return f;
         }()},
        {"empty", QByteArray()},
    };
    for (const auto &[what, file] : bad)
        EXPECT_FALSE(BitmapFile::decode(file).has_value()) << what;
}

TEST(BitmapReader, ABitmapWithoutPixelsIsAnEmptyPicture)
{
    const auto image = BitmapFile::decode(BitmapFile::encode(QImage()));
    ASSERT_TRUE(image.has_value());
    EXPECT_TRUE(image->isNull());
}

TEST(JpegDecoder, DecodesThroughLibjpegAndRefusesDamage)
{
    QImage source(16, 8, QImage::Format_RGB32);
    source.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x)
            source.setPixel(x, y, qRgb(0, 0, 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    if (!writer.write(source))
        GTEST_SKIP() << "no JPEG writer to make a test picture: " << writer.errorString().toStdString();

    const auto image = JpegDecoder::decode(jpeg);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), QSize(16, 8));
    const QRgb left = image->pixel(2, 4);
    const QRgb right = image->pixel(13, 4);
    EXPECT_GT(qRed(left), 200);
    EXPECT_LT(qBlue(left), 60);
    EXPECT_GT(qBlue(right), 200);
    EXPECT_LT(qRed(right), 60);

    EXPECT_FALSE(JpegDecoder::decode(jpeg.left(20)).has_value());

    QByteArray grey;
    QBuffer greyBuffer(&grey);
    greyBuffer.open(QIODevice::WriteOnly);
    QImage greySource(8, 8, QImage::Format_Grayscale8);
    greySource.fill(200);
    ASSERT_TRUE(QImageWriter(&greyBuffer, "jpeg").write(greySource));
    const auto greyImage = JpegDecoder::decode(grey);
    ASSERT_TRUE(greyImage.has_value());
    EXPECT_NEAR(qRed(greyImage->pixel(4, 4)), 200, 3);
    EXPECT_EQ(qRed(greyImage->pixel(4, 4)), qBlue(greyImage->pixel(4, 4)));
    EXPECT_FALSE(JpegDecoder::decode(QByteArray("not a jpeg at all")).has_value());
    QByteArray huge = jpeg;
    // The frame header's height and width (after FF C0, length, precision).
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GE(sof, 0);
    huge[sof + 5] = char(0xFF);
    huge[sof + 6] = char(0xF0);
    huge[sof + 7] = char(0xFF);
    huge[sof + 8] = char(0xF0);
    EXPECT_FALSE(JpegDecoder::decode(huge).has_value()) << "65520 x 65520 is refused before decoding";
}

TEST(PictureCodec, BodiesAreKeptAndPicturesInMemoryEncoded)
{
    const QByteArray file = BitmapFile::encode(redBlackPicture());
    const PicturePtr read = DecodePicture("TBitmap", file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->className(), QByteArray("TBitmap"));
    EXPECT_EQ(read->body(), file);
    EXPECT_EQ(pixels(read->image()), pixels(redBlackPicture()));
    EXPECT_EQ(EncodePicture(*read), file);

    const PicturePtr made = Picture::bitmap(redBlackPicture());
    EXPECT_EQ(EncodePicture(*made), file);

    const QByteArray icon = hex("00 00 01 00 01 00 20 20");
    const PicturePtr kept = DecodePicture("TIcon", icon);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->body(), icon);
    EXPECT_TRUE(kept->image().isNull());
    EXPECT_EQ(EncodePicture(*kept), icon);
    EXPECT_TRUE(DecodePicture("TMetafile", hex("D7 CD C6 9A")));

    EXPECT_FALSE(DecodePicture("TPNGImage", file));
    EXPECT_FALSE(DecodePicture("TBitmap", hex("42 4D 00")));
    EXPECT_FALSE(DecodePicture("TJPEGImage", file));
    EXPECT_TRUE(isKnownPictureClass("TJPEGImage"));
    EXPECT_FALSE(isKnownPictureClass("TPicture"));
}

TEST(PictureCodec, InvalidPictureIsA32By32Bitmap)
{
    const QImage image = invalidPictureImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(4, 4) | 0xFF000000u, Red);
    EXPECT_NE(image.pixel(0, 0), image.pixel(16, 1));
}
