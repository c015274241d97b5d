#pragma once

// The graphic editor's picture: W x 8 pixels at 4 bits a pixel with the
// standard 16-colour table. It is held as an 8-bit indexed QImage whose
// colour table is exactly those 16 entries, so every pixel is one of them and
// the bitmap writer stores it at 4 bits a pixel. A picture of width 0 (what
// opening a picture of another kind leaves) is a null image.
//
// Pictures drawn here are red (lit) and black (dark) only; a picture taken
// from a file keeps whatever its colours map to in the table.

#include <QImage>
#include <QRgb>

namespace EditorPicture {

inline constexpr int Rows = 8;
// The widest picture the editor opens: the sign's program gives a picture's
// width 16 bits, so a wider one could never be loaded into the sign.
inline constexpr int MaxWidth = 65535;

inline constexpr QRgb Red = 0xFFFF0000u;
inline constexpr QRgb Black = 0xFF000000u;

// A picture of `width` x 8 filled with `colour` (mapped to the table).
QImage blank(int width, QRgb colour);

// Any image made a picture of the editor: every colour mapped to the
// nearest entry of the 16-colour table, and exactly 8 rows, the lower rows
// cut, missing ones added in black (dark, which is what the sign shows where
// a picture has nothing). Its width is kept.
QImage fromImage(const QImage &image);

// The index in the 16-colour table nearest to `colour`; exact colours of the
// table map to themselves.
int nearestIndex(QRgb colour);

// The picture's width (0 for the empty picture).
inline int width(const QImage &picture)
{
    return picture.isNull() ? 0 : picture.width();
}

} // namespace EditorPicture
