// Picture items: column bytes, the listing map, and the class, height, width
// and colour errors.

#include "CompilerTestSupport.h"

#include "compiler/CheckMessages.h"

using B = DocumentBuilder;

namespace {

QImage columnsImage(int width, QRgb colour = qRgb(255, 0, 0))
{
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

CheckResult compilePicture(const QImage &image, const QByteArray &className = "TBitmap")
{
    return Compiler::compile(B().effect(0).picture(image, className).build());
}

} // namespace

TEST(PictureStep, ColumnBytesTopRowIsBitSeven)
{
    const QImage image = B::pictureFromRows({"R.R", "R..", "R..", "R..", "R..", "R..", "R..", "R.."});
    const CheckResult r = compilePicture(image);
    EXPECT_EQ(body(r), hexBytes("00 00 02 00 03 FF 00 80 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_TRUE(lines.contains("0x02, // Insert EFFECT_IMAGE"));
    EXPECT_TRUE(lines.contains("0x00, 0x03, //Image size(HI, LO)"));
    EXPECT_TRUE(lines.contains("//Image map"));
    EXPECT_TRUE(lines.contains("0xFF, 0x00, 0x80, "));
}

TEST(PictureStep, BottomRowIsBitZero)
{
    const QImage image = B::pictureFromRows({".", ".", ".", ".", ".", ".", ".", "R"});
    EXPECT_EQ(body(compilePicture(image)), hexBytes("00 00 02 00 01 01 00"));
}

TEST(PictureStep, MapHasEightColumnsToALine)
{
    auto mapLines = [](int width) {
        const QList<QByteArray> lines = listingLines(compilePicture(columnsImage(width)).listing);
        const qsizetype start = lines.indexOf("//Image map") + 1;
        QList<QByteArray> map;
        for (qsizetype i = start; i < lines.size() && !lines[i].startsWith("0x00,//"); ++i)
            map << lines[i];
        return map;
    };
    const QByteArray eight = QByteArray("0xFF, ").repeated(8);
    EXPECT_EQ(mapLines(10), (QList<QByteArray>{eight, "0xFF, 0xFF, "}));
    EXPECT_EQ(mapLines(16), (QList<QByteArray>{eight, eight}));
    EXPECT_EQ(mapLines(17), (QList<QByteArray>{eight, eight, "0xFF, "}));
    EXPECT_EQ(mapLines(8), (QList<QByteArray>{eight}));
}

TEST(PictureStep, WidthIsWrittenHighByteFirst)
{
    EXPECT_EQ(body(compilePicture(columnsImage(10))).mid(2, 3), hexBytes("02 00 0A"));
    EXPECT_EQ(body(compilePicture(columnsImage(300))).mid(2, 3), hexBytes("02 01 2C"));
    const CheckResult r = compilePicture(columnsImage(65535));
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(body(r).mid(2, 3), hexBytes("02 FF FF"));
}

TEST(PictureStep, PictureWiderThanTheWidthFieldIsRejected)
{
    const CheckResult r = Compiler::compile(B().effect(0).text("A").picture(columnsImage(65536)).build());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->item, 2);
    EXPECT_EQ(r.error->message, CheckMessages::PictureWidth);
    EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
    EXPECT_EQ(body(r), hexBytes("00 00 41 00"));
    EXPECT_TRUE(listingLines(r.listing).contains("0x00,// end image at effect(for item end)"));
}

TEST(PictureStep, OnlyEightRowsHigh)
{
    for (int height : {7, 9, 16, 32}) {
        QImage image(4, height, QImage::Format_RGB32);
        image.fill(Qt::black);
        const CheckResult r = compilePicture(image);
        ASSERT_TRUE(r.error) << height;
        EXPECT_EQ(r.error->message, CheckMessages::PictureHeight);
        EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
        // Nothing of the picture, but the record counts as holding one.
        EXPECT_EQ(body(r), hexBytes("00 00 00"));
        EXPECT_TRUE(listingLines(r.listing).contains("0x00,// end image at effect(for item end)"));
    }
    EXPECT_TRUE(compilePicture(columnsImage(1)).succeeded());
}

TEST(PictureStep, ColourOtherThanRedOrBlackIsRejectedAfterItsColumn)
{
    QImage image = columnsImage(12, qRgb(0, 0, 0));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(2, 5, qRgb(128, 0, 0));  // dark red: not a lit LED
    image.setPixel(2, 6, qRgb(255, 0, 0));  // below the bad pixel: not read
    const CheckResult r = compilePicture(image);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::BadPictureColour);
    EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
    EXPECT_EQ(body(r), hexBytes("00 00 02 00 0C 80 00 00 00"));
    const QList<QByteArray> lines = listingLines(r.listing);
    EXPECT_TRUE(lines.contains("0x80, 0x00, 0x00, "));

    QImage white = columnsImage(3, qRgb(0, 0, 0));
    white.setPixel(1, 7, qRgb(255, 255, 255));
    const CheckResult w = compilePicture(white);
    ASSERT_TRUE(w.error);
    EXPECT_EQ(body(w), hexBytes("00 00 02 00 03 00 00 00"));
}

TEST(PictureStep, OtherPictureClassesAreRejectedBeforeTheEffectTest)
{
    for (const char *className : {"TJPEGImage", "TMetafile", "TIcon", "TBitmapEx"}) {
        const CheckResult r = Compiler::compile(B().picture(columnsImage(4), className).build());
        ASSERT_TRUE(r.error) << className;
        EXPECT_EQ(r.error->message, CheckMessages::UnsupportedPicture);
        EXPECT_EQ(r.error->place, ErrorPlace::ItemSelected);
        EXPECT_EQ(r.program, hexBytes("02 01 03 00 00"));
    }
    const CheckResult bitmap = Compiler::compile(B().picture(columnsImage(4)).build());
    ASSERT_TRUE(bitmap.error);
    EXPECT_EQ(bitmap.error->message, CheckMessages::NoOutputEffect);
    EXPECT_EQ(bitmap.error->place, ErrorPlace::CaretBeforeItem);
}

TEST(PictureStep, PictureItemWithoutAGraphicIsUnsupported)
{
    SourceItem item;
    item.styleNo = ItemStyle::Picture;
    const CheckResult r = Compiler::compile(B().effect(0).item(item).build());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::UnsupportedPicture);
}

TEST(PictureStep, ZeroWidthBitmapIsAnEmptyImage)
{
    const CheckResult r = compilePicture(QImage(0, 8, QImage::Format_RGB32));
    // A null QImage has height 0, so a zero-width bitmap fails the height test.
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, CheckMessages::PictureHeight);
}

// Every pixel layout QImage reads gives the same column bytes for the same
// red and black pixels.
class PictureFormats : public ::testing::TestWithParam<QImage::Format> {};

TEST_P(PictureFormats, SameColumnBytes)
{
    const std::vector<QByteArray> rows = {"R.R.RR..", ".R.R..RR", "RR..RR..", "..RR..RR",
                                          "R...R...", ".R...R..", "..R...R.", "...R...R"};
    QImage image = B::pictureFromRows(rows);
    if (GetParam() == QImage::Format_Mono || GetParam() == QImage::Format_MonoLSB
        || GetParam() == QImage::Format_Indexed8) {
        image = image.convertToFormat(GetParam(), QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0)});
    } else {
        image = image.convertToFormat(GetParam());
    }
    ASSERT_EQ(image.format(), GetParam());
    const CheckResult r = compilePicture(image);
    ASSERT_TRUE(r.succeeded());
    EXPECT_EQ(body(r), hexBytes("00 00 02 00 08 A8 64 92 51 A8 A4 52 51 00"));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, PictureFormats,
                         ::testing::Values(QImage::Format_Mono, QImage::Format_MonoLSB, QImage::Format_Indexed8,
                                           QImage::Format_RGB16, QImage::Format_RGB555, QImage::Format_RGB444,
                                           QImage::Format_RGB666, QImage::Format_RGB888, QImage::Format_BGR888,
                                           QImage::Format_RGB32, QImage::Format_ARGB32,
                                           QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBX8888,
                                           QImage::Format_RGBA8888, QImage::Format_RGB30,
                                           QImage::Format_RGBX64));

TEST(PictureStep, FourBitBitmapWithSixteenColourTable)
{
    // The graphic editor's pictures: 4 bits per pixel in a 16-entry table
    // (Qt holds them as 8-bit indexed images).
    QList<QRgb> table(16, qRgb(0, 0, 0));
    table[9] = qRgb(255, 0, 0);
    table[4] = qRgb(0, 0, 128);
    QImage image(2, 8, QImage::Format_Indexed8);
    image.setColorTable(table);
    image.fill(0);
    for (int y = 0; y < 8; ++y)
        image.setPixel(1, y, 9);
    EXPECT_EQ(body(compilePicture(image)), hexBytes("00 00 02 00 02 00 FF 00"));
    image.setPixel(0, 3, 4);
    const CheckResult bad = compilePicture(image);
    ASSERT_TRUE(bad.error);
    EXPECT_EQ(bad.error->message, CheckMessages::BadPictureColour);
}
