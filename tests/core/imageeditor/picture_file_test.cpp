// Picture files: the exact bytes the editor writes, what it reads by
// extension, the conversion to 4 bits and 8 rows, and the error texts.

#include "ImageEditorTestSupport.h"
#include "QtPrinters.h"

#include "imageeditor/EditorPicture.h"
#include "imageeditor/PictureFile.h"
#include "document/pictures/BitmapFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StreamBytes;

namespace {

constexpr QRgb Red = EditorPicture::Red;
constexpr QRgb Black = EditorPicture::Black;

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

// Columns all red, all black, and red only in the top row.
QImage threeColumns()
{
    QImage picture = EditorPicture::blank(3, Black);
    for (int y = 0; y < 8; ++y)
        picture.setPixel(0, y, uint(EditorPicture::nearestIndex(Red)));
    picture.setPixel(2, 0, uint(EditorPicture::nearestIndex(Red)));
    return picture;
}

class PictureFiles : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void put(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray bytesOf(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The picture in `name` as the editor opens it.
    QImage opened(const QString &name) const
    {
        QImage image;
        QString error;
        EXPECT_TRUE(PictureFile::read(path(name), &image, &error)) << error.toStdString();
        return EditorPicture::fromImage(image);
    }

    QString errorOpening(const QString &name) const
    {
        QImage image(1, 1, QImage::Format_RGB32);
        QString error;
        EXPECT_FALSE(PictureFile::read(path(name), &image, &error));
        EXPECT_EQ(image.size(), QSize(1, 1)) << "the picture is untouched";
        return error;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PictureFiles, AThreeColumnPictureIsWrittenAsA4BitBitmapOf150Bytes)
{
    QString error;
    ASSERT_TRUE(PictureFile::write(path(u"p.bmp"_s), threeColumns(), &error));
    const QByteArray expected = hex("42 4D 96000000 00000000 76000000"
                                    "28000000 03000000 08000000 0100 0400 00000000 20000000"
                                    "00000000 00000000 00000000 00000000"
                                    "00000000 00008000 00800000 00808000 80000000 80008000 80800000 C0C0C000"
                                    "80808000 0000FF00 00FF0000 00FFFF00 FF000000 FF00FF00 FFFF0000 FFFFFF00"
                                    "90000000 90000000 90000000 90000000 90000000 90000000 90000000"
                                    "90900000");
    EXPECT_EQ(bytesOf(u"p.bmp"_s), expected);
}

TEST_F(PictureFiles, WrittenReadAndWrittenAgainGivesTheSameBytes)
{
    QImage picture = EditorPicture::blank(37, Black);
    for (int x = 0; x < 37; ++x)
        picture.setPixel(x, (x * 5) % 8, uint(EditorPicture::nearestIndex(Red)));
    QString error;
    ASSERT_TRUE(PictureFile::write(path(u"a.bmp"_s), picture, &error));
    const QImage back = opened(u"a.bmp"_s);
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(PictureFile::write(path(u"b.bmp"_s), back, &error));
    EXPECT_EQ(bytesOf(u"b.bmp"_s), bytesOf(u"a.bmp"_s));
}

TEST_F(PictureFiles, AnyExtensionIsWrittenAsABitmapAndANameWithoutOneGetsBmp)
{
    QString error;
    ASSERT_TRUE(PictureFile::write(path(u"picture.txt"_s), threeColumns(), &error));
    EXPECT_TRUE(bytesOf(u"picture.txt"_s).startsWith("BM"));
    EXPECT_EQ(BitmapFile::decode(bytesOf(u"picture.txt"_s))->size(), QSize(3, 8));

    EXPECT_EQ(PictureFile::withDefaultExtension(u"/tmp/logo"_s), u"/tmp/logo.bmp"_s);
    EXPECT_EQ(PictureFile::withDefaultExtension(u"/tmp/logo."_s), u"/tmp/logo.bmp"_s);
    EXPECT_EQ(PictureFile::withDefaultExtension(u"/tmp/logo.txt"_s), u"/tmp/logo.txt"_s);
    EXPECT_EQ(PictureFile::withDefaultExtension(u"/tmp/my.dir/logo"_s), u"/tmp/my.dir/logo.bmp"_s);
}

TEST_F(PictureFiles, AFileThatCannotBeCreatedIsReportedAndAnOldFileStays)
{
    QString error;
    const QString missingDir = path(u"no/such/dir/p.bmp"_s);
    EXPECT_FALSE(PictureFile::write(missingDir, threeColumns(), &error));
    EXPECT_EQ(error, u"Cannot create file "_s + QDir::toNativeSeparators(missingDir));

    QDir(m_dir.path()).mkdir(u"taken"_s);
    EXPECT_FALSE(PictureFile::write(path(u"taken"_s), threeColumns(), &error));
    EXPECT_EQ(error, u"Cannot create file "_s + QDir::toNativeSeparators(path(u"taken"_s)));

    put(u"old.bmp"_s, "old bytes");
    QFile::setPermissions(path(u"old.bmp"_s), QFileDevice::ReadOwner);
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool failed = !PictureFile::write(path(u"old.bmp"_s), threeColumns(), &error);
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (failed)  // (root writes anyway)
        EXPECT_EQ(bytesOf(u"old.bmp"_s), QByteArray("old bytes"));
}

TEST_F(PictureFiles, RowsAreCutOrAddedToEight)
{
    // Ten rows, the n-th lit in column n: the top eight are kept.
    QImage tall(10, 10, QImage::Format_RGB32);
    tall.fill(Black);
    for (int n = 0; n < 10; ++n)
        tall.setPixel(n, n, Red);
    put(u"tall.bmp"_s, bitmapFile24(tall));
    const QImage cut = opened(u"tall.bmp"_s);
    ASSERT_EQ(cut.size(), QSize(10, 8));
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(pixel(cut, n, n), Red);
    EXPECT_EQ(pixel(cut, 8, 7), Black);

    // Six rows all red: two black rows are added below.
    QImage low(4, 6, QImage::Format_RGB32);
    low.fill(Red);
    put(u"low.bmp"_s, bitmapFile24(low));
    const QImage grown = opened(u"low.bmp"_s);
    ASSERT_EQ(grown.size(), QSize(4, 8));
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(pixel(grown, 3, y), y < 6 ? Red : Black) << y;
}

TEST_F(PictureFiles, A24BitBitmapIsMappedToTheSixteenColoursWithRedAndBlackUnchanged)
{
    QImage image(6, 8, QImage::Format_RGB32);
    image.fill(Black);
    image.setPixel(0, 0, Red);
    image.setPixel(1, 0, qRgb(250, 10, 5));    // nearly red
    image.setPixel(2, 0, qRgb(0, 250, 0));     // lime
    image.setPixel(3, 0, qRgb(140, 0, 0));     // maroon
    image.setPixel(4, 0, qRgb(200, 200, 200)); // silver
    image.setPixel(5, 0, qRgb(20, 20, 20));    // nearly black
    put(u"deep.bmp"_s, bitmapFile24(image));
    const QImage picture = opened(u"deep.bmp"_s);
    EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(picture.colorTable(), BitmapFile::standardPalette());
    EXPECT_EQ(pixel(picture, 0, 0), Red);
    EXPECT_EQ(pixel(picture, 1, 0), Red);
    EXPECT_EQ(pixel(picture, 2, 0), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(picture, 3, 0), qRgb(128, 0, 0));
    EXPECT_EQ(pixel(picture, 4, 0), qRgb(192, 192, 192));
    EXPECT_EQ(pixel(picture, 5, 0), Black);
    EXPECT_EQ(pixel(picture, 0, 1), Black);
}

TEST_F(PictureFiles, PicturesOfOtherKindsOpenAsTheEmptyPicture)
{
    for (const QString &name : {u"photo.jpg"_s, u"PHOTO.JPEG"_s, u"icon.ico"_s, u"drawing.emf"_s, u"old.wmf"_s}) {
        put(name, "\xFF\xD8 whatever is in it");
        QImage image(3, 3, QImage::Format_RGB32);
        QString error;
        EXPECT_TRUE(PictureFile::read(path(name), &image, &error)) << name.toStdString();
        EXPECT_TRUE(image.isNull());
        EXPECT_EQ(EditorPicture::width(EditorPicture::fromImage(image)), 0);
    }
    // The extension decides, not the case of its letters.
    put(u"UPPER.BMP"_s, BitmapFile::encode(threeColumns()));
    EXPECT_EQ(opened(u"UPPER.BMP"_s).width(), 3);
}

TEST_F(PictureFiles, ErrorsNameTheFileOrTheExtension)
{
    put(u"picture.png"_s, BitmapFile::encode(threeColumns()));
    EXPECT_EQ(errorOpening(u"picture.png"_s), u"Unknown picture file extension (.png)"_s);
    EXPECT_EQ(errorOpening(u"noextension"_s), u"Unknown picture file extension (.)"_s);
    EXPECT_EQ(errorOpening(u"missing.bmp"_s), u"Cannot open file "_s + QDir::toNativeSeparators(path(u"missing.bmp"_s)));
    EXPECT_EQ(errorOpening(u"missing.jpg"_s), u"Cannot open file "_s + QDir::toNativeSeparators(path(u"missing.jpg"_s)));

    put(u"damaged.bmp"_s, BitmapFile::encode(threeColumns()).left(60));
    EXPECT_EQ(errorOpening(u"damaged.bmp"_s), u"Bitmap image is not valid"_s);
    put(u"text.bmp"_s, "not a bitmap at all");
    EXPECT_EQ(errorOpening(u"text.bmp"_s), u"Bitmap image is not valid"_s);

    // Wider than the sign's program can carry.
    const QByteArray rows(((70000 * 1 + 31) / 32) * 4, '\0');
    put(u"huge.bmp"_s, bitmapFile(70000, 1, 1, {Black, Red}, rows));
    EXPECT_EQ(errorOpening(u"huge.bmp"_s), u"The picture is 70000 pixels wide; at most 65535 columns fit the sign"_s);
}
