// Painting on the work bitmap: which square a pointer position hits, the
// grid around it, the two buttons and the colour choice.

#include "ImageEditorTestSupport.h"
#include "QtPrinters.h"

#include "imageeditor/PictureEditor.h"
#include "imageeditor/WorkBitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb Red = EditorPicture::Red;
constexpr QRgb Black = EditorPicture::Black;
constexpr QRgb Gray = WorkBitmap::GridColour;

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

// The picture pixels that are red, as (column, row) points.
QList<QPoint> redPixels(const QImage &picture)
{
    QList<QPoint> out;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (pixel(picture, x, y) == Red)
                out << QPoint(x, y);
    return out;
}

PictureEditor editorOfWidth(int width)
{
    PictureEditor editor;
    editor.newPicture(width);
    return editor;
}

} // namespace

TEST(WorkBitmapGeometry, SquaresGridLinesAndPointsOutsideThePicture)
{
    EXPECT_EQ(WorkBitmap::size(8), QSize(65, 65));
    EXPECT_EQ(WorkBitmap::size(1), QSize(9, 65));
    EXPECT_EQ(WorkBitmap::cellRect(QPoint(1, 2)), QRect(QPoint(9, 17), QPoint(15, 23)));

    EXPECT_EQ(WorkBitmap::cellAt(QPoint(13, 20), 5), QPoint(1, 2));
    // A grid line belongs to the square right of it or below it.
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(8, 3), 5), QPoint(1, 0));
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(3, 8), 5), QPoint(0, 1));
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(39, 63), 5), QPoint(4, 7));
    // The right and bottom border lines and anything beyond or before them.
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(40, 3), 5), std::nullopt);
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(3, 64), 5), std::nullopt);
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(-1, 3), 5), std::nullopt);
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(3, -1), 5), std::nullopt);
    EXPECT_EQ(WorkBitmap::cellAt(QPoint(0, 0), 0), std::nullopt);
}

TEST(Painting, LeftPressAt13_20ColoursSquare1_2AndLeavesTheGridGray)
{
    PictureEditor editor = editorOfWidth(8);
    const auto changed = editor.press(Qt::LeftButton, QPoint(13, 20));
    EXPECT_EQ(changed, QRect(QPoint(9, 17), QPoint(15, 23)));
    EXPECT_EQ(redPixels(editor.picture()), QList<QPoint>{QPoint(1, 2)});

    const QImage work = WorkBitmap::render(editor.picture());
    ASSERT_EQ(work.size(), QSize(65, 65));
    for (int y = 16; y <= 24; ++y) {
        for (int x = 8; x <= 16; ++x) {
            const bool line = x == 8 || x == 16 || y == 16 || y == 24;
            EXPECT_EQ(pixel(work, x, y), line ? Gray : Red) << x << "," << y;
        }
    }
    EXPECT_EQ(pixel(work, 17, 20), Black);
    EXPECT_EQ(pixel(work, 64, 64), Gray);
    EXPECT_TRUE(editor.isModified());
}

TEST(Painting, APressOnTheVerticalLineX8PaintsColumn1)
{
    PictureEditor editor = editorOfWidth(8);
    editor.press(Qt::LeftButton, QPoint(8, 4));
    EXPECT_EQ(redPixels(editor.picture()), QList<QPoint>{QPoint(1, 0)});
}

TEST(Painting, TheRightAndBottomBordersChangeNoPixelButMarkTheModifiedFlag)
{
    for (const QPoint point : {QPoint(40, 4), QPoint(4, 64), QPoint(-3, 4), QPoint(4, -3), QPoint(1000, 1000)}) {
        PictureEditor editor = editorOfWidth(5);
        const QImage before = editor.picture();
        EXPECT_EQ(editor.press(Qt::LeftButton, point), std::nullopt) << point.x() << "," << point.y();
        EXPECT_EQ(editor.picture(), before);
        EXPECT_TRUE(editor.isModified());
    }
}

TEST(Painting, MovesPaintOnlyWhileAButtonIsHeld)
{
    PictureEditor editor = editorOfWidth(5);
    EXPECT_EQ(editor.move(QPoint(4, 4)), std::nullopt);
    editor.press(Qt::LeftButton, QPoint(4, 4));
    editor.release();
    editor.move(QPoint(12, 4));
    EXPECT_EQ(redPixels(editor.picture()), QList<QPoint>{QPoint(0, 0)});
}

TEST(ColourChoice, RightClickOnRedMakesRedTheBackgroundAndANewPictureRed)
{
    PictureEditor editor;
    EXPECT_EQ(editor.drawingColour(), Red);
    EXPECT_EQ(editor.backgroundColour(), Black);
    EXPECT_TRUE(editor.chooseColour(Qt::RightButton, Red));
    EXPECT_FALSE(editor.chooseColour(Qt::MiddleButton, Black));
    EXPECT_EQ(editor.backgroundColour(), Red);
    editor.newPicture(3);
    EXPECT_EQ(redPixels(editor.picture()).size(), 24);

    // Painting with the right button now lights pixels; the left one, with
    // black chosen, darkens them.
    editor.chooseColour(Qt::LeftButton, Black);
    editor.press(Qt::LeftButton, QPoint(1, 1));
    EXPECT_EQ(pixel(editor.picture(), 0, 0), Black);
}

TEST(WorkBitmapRendering, APartIsTheSameAsTheSameRectOfTheWhole)
{
    PictureEditor editor = editorOfWidth(40);
    for (int x = 0; x < 320; x += 7)
        editor.press(Qt::LeftButton, QPoint(x, (x * 3) % 64));
    const QImage whole = WorkBitmap::render(editor.picture());
    const QRect part(77, 5, 150, 50);
    EXPECT_EQ(WorkBitmap::render(editor.picture(), part), whole.copy(part));
    // Clipped to the bitmap.
    EXPECT_EQ(WorkBitmap::render(editor.picture(), QRect(300, 60, 100, 100)).size(), QSize(21, 5));
    EXPECT_TRUE(WorkBitmap::render(editor.picture(), QRect(400, 0, 10, 10)).isNull());
}
