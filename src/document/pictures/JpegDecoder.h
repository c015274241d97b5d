#pragma once

// Decodes the body of a TJPEGImage picture through libjpeg's decompression
// interface. Pictures of more than MaxPixels pixels are refused rather than
// decoded, so that a damaged or hostile header cannot make the reader
// allocate gigabytes.

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace JpegDecoder {

inline constexpr qint64 MaxPixels = 4 * 1024 * 1024;

// The pixels as Format_RGB32, or nothing when the bytes are not a JPEG
// image this decoder can read.
std::optional<QImage> decode(QByteArrayView bytes);

} // namespace JpegDecoder
