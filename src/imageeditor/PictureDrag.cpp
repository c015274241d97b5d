#include "PictureDrag.h"

#include "EditorPicture.h"

#include "document/pictures/BitmapFile.h"

namespace PictureDrag {

QByteArray encode(const QImage &picture)
{
    return BitmapFile::encode(picture);
}

std::optional<QImage> decode(const QByteArray &bytes)
{
    std::optional<QImage> image = BitmapFile::decode(bytes);
    if (!image || image->isNull() || image->height() != EditorPicture::Rows)
        return std::nullopt;
    return image;
}

} // namespace PictureDrag
