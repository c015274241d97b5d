#pragma once

// What a drag of the graphic editor's preview carries: the picture as a
// bitmap file under a MIME type of the editor's own. Only that type is
// accepted by the main editor's drop, so nothing else dragged over it (text,
// files, pictures of other programs) is taken for a picture.

#include <QByteArray>
#include <QImage>

#include <optional>

namespace PictureDrag {

inline constexpr const char *MimeType = "application/x-oravelt-picture";

QByteArray encode(const QImage &picture);

// The picture, or nothing when the bytes are not a bitmap 8 rows high.
std::optional<QImage> decode(const QByteArray &bytes);

} // namespace PictureDrag
