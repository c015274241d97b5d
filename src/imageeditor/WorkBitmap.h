#pragma once

// The work bitmap of the graphic editor: the picture magnified eight times on
// a grid. It is (8W + 1) x 65 pixels: gray lines one pixel wide at x = 8c
// (c = 0 .. W) and y = 8r (r = 0 .. 8), and picture pixel (c, r) shown as
// the 7 x 7 square from (8c + 1, 8r + 1) to (8c + 7, 8r + 7).
//
// Every pixel of it is either a grid line or part of a square, so it follows
// from the picture alone. It is never held whole: render() draws the part a
// window shows, which keeps a picture thousands of columns wide as cheap to
// paint and scroll as a small one.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace WorkBitmap {

inline constexpr int Cell = 8;
inline constexpr int Height = 8 * Cell + 1;  // 65
inline constexpr QRgb GridColour = 0xFF808080u;

// (8W + 1) x 65.
QSize size(int pictureWidth);

// The picture pixel (column, row) whose square holds work pixel `point`. A
// point on a grid line belongs to the square right of it or below it; points
// at or past x = 8W or y = 64, and points left of or above the bitmap, hold
// no picture pixel.
std::optional<QPoint> cellAt(QPoint point, int pictureWidth);

// The 7 x 7 square of picture pixel `cell`.
QRect cellRect(QPoint cell);

// The work pixels inside `region` (clipped to the bitmap) as an RGB32 image
// of the clipped region's size; a null image when nothing is left.
QImage render(const QImage &picture, QRect region);

// The whole work bitmap.
QImage render(const QImage &picture);

} // namespace WorkBitmap
