// Picture import: scaling to 8 rows with the aspect ratio kept, the
// threshold and its inversion, transparency, and files of other formats.

#include "ImageEditorTestSupport.h"
#include "QtPrinters.h"

#include "imageeditor/EditorPicture.h"
#include "imageeditor/PictureImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb Red = EditorPicture::Red;
constexpr QRgb Black = EditorPicture::Black;

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

int litCount(const QImage &picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += pixel(picture, x, y) == Red;
    return n;
}

// A horizontal ramp from black on the left to white on the right.
QImage ramp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        const int v = width > 1 ? 255 * x / (width - 1) : 0;
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgb(v, v, v));
    }
    return image;
}

} // namespace

TEST(PictureImport, ScalesToEightRowsKeepingTheAspectRatio)
{
    EXPECT_EQ(PictureImport::scale(ramp(16, 16)).grey.size(), QSize(8, 8));
    EXPECT_EQ(PictureImport::scale(ramp(100, 10)).grey.size(), QSize(80, 8));
    EXPECT_EQ(PictureImport::scale(ramp(3, 2)).grey.size(), QSize(12, 8));
    // Very tall pictures still keep one column.
    EXPECT_EQ(PictureImport::scale(ramp(1, 500)).grey.size(), QSize(1, 8));
    EXPECT_TRUE(PictureImport::scale(QImage()).grey.isNull());
    EXPECT_TRUE(PictureImport::threshold(PictureImport::scale(QImage()), 128).isNull());
}

TEST(PictureImport, TheThresholdDecidesWhichPixelsAreLit)
{
    const PictureImport::ScaledPicture scaled = PictureImport::scale(ramp(64, 8));
    const QImage half = PictureImport::threshold(scaled, 128);
    EXPECT_EQ(half.size(), QSize(64, 8));
    EXPECT_EQ(half.colorCount(), 16);
    EXPECT_EQ(pixel(half, 0, 0), Black);
    EXPECT_EQ(pixel(half, 63, 7), Red);
    EXPECT_EQ(litCount(half), 32 * 8);

    // A higher threshold lights fewer pixels; inverted lights the rest.
    EXPECT_LT(litCount(PictureImport::threshold(scaled, 200)), litCount(half));
    EXPECT_EQ(litCount(PictureImport::threshold(scaled, 0)), 64 * 8);
    EXPECT_EQ(litCount(PictureImport::threshold(scaled, 128, true)), 64 * 8 - litCount(half));
    const QImage inverted = PictureImport::threshold(scaled, 128, true);
    EXPECT_EQ(pixel(inverted, 0, 0), Red);
    EXPECT_DOUBLE_EQ(PictureImport::litShare(half), 0.5);
    EXPECT_DOUBLE_EQ(PictureImport::litShare(QImage()), 0.0);
}

TEST(PictureImport, TransparentPartsAreDark)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(qRgba(255, 255, 255, 0));
    for (int y = 0; y < 8; ++y)
        image.setPixel(2, y, qRgba(255, 255, 255, 255));
    const QImage picture = PictureImport::threshold(PictureImport::scale(image), 128);
    EXPECT_EQ(litCount(picture), 8);
    EXPECT_EQ(pixel(picture, 2, 4), Red);
}

TEST(PictureImport, ReadsWhatQtReadsAndSaysWhatFailed)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(u"logo.png"_s);
    ASSERT_TRUE(ramp(30, 15).save(png, "PNG"));
    QImage image;
    QString error;
    ASSERT_TRUE(PictureImport::read(png, &image, &error));
    EXPECT_EQ(image.size(), QSize(30, 15));

    const QString missing = dir.filePath(u"missing.png"_s);
    EXPECT_FALSE(PictureImport::read(missing, &image, &error));
    EXPECT_EQ(error, u"Cannot open file "_s + QDir::toNativeSeparators(missing));

    const QString junk = dir.filePath(u"junk.png"_s);
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    EXPECT_FALSE(PictureImport::read(junk, &image, &error));
    EXPECT_TRUE(error.startsWith(u"The picture in "_s)) << error.toStdString();
}
