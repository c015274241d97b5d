#pragma once

// Windows bitmap files: the body of a TBitmap picture and of the editor's
// background picture, and the picture files of the graphic editor.
//
// Writing: a picture whose pixels are all colours of the standard 16-colour
// palette (every picture drawn in red and black) is written at 4 bits per
// pixel with that palette; one with at most 16 other colours at 4 bits with
// its own palette; anything else at 24 bits, so no colour is ever lost.
// Rows go bottom up, each padded to a multiple of 4 bytes.
//
// Reading takes every variant a standard decoder reads (1, 4, 8, 16, 24 and
// 32 bits, RLE4 and RLE8, bit fields, top-down rows, the old 12-byte
// header). The header is checked first: a bitmap of more than MaxPixels
// pixels, or whose rows run past the end of the bytes, is refused.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace BitmapFile {

inline constexpr qint64 MaxPixels = 4 * 1024 * 1024;

QByteArray encode(const QImage &image);

// The pixels, or nothing when the bytes are not a readable bitmap. A bitmap
// without pixels (width or height 0) reads as a null image.
std::optional<QImage> decode(QByteArrayView bytes);

// The standard 16-colour palette in index order, as Qt colours.
const QList<QRgb> &standardPalette();

} // namespace BitmapFile
