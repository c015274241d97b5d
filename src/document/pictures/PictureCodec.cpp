#include "PictureCodec.h"

#include "BitmapFile.h"
#include "JpegDecoder.h"

bool isKnownPictureClass(QByteArrayView className)
{
    return className == "TBitmap" || className == "TIcon" || className == "TMetafile" || className == "TJPEGImage";
}

QByteArray EncodePicture(const Picture &picture)
{
    if (!picture.body().isEmpty() || !picture.isBitmap())
        return picture.body();
    return BitmapFile::encode(picture.image());
}

PicturePtr DecodePicture(const QByteArray &className, QByteArrayView bytes)
{
    std::optional<QImage> image;
    if (className == "TBitmap")
        image = BitmapFile::decode(bytes);
    else if (className == "TJPEGImage")
        image = JpegDecoder::decode(bytes);
    else if (className == "TIcon" || className == "TMetafile")
        image = QImage();
    if (!image)
        return nullptr;
    return Picture::fromBody(className, bytes.toByteArray(), std::move(*image));
}
