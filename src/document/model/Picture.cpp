#include "Picture.h"

std::shared_ptr<const Picture> Picture::bitmap(QImage image)
{
    return std::make_shared<const Picture>(QByteArray("TBitmap"), QByteArray(), std::move(image));
}

std::shared_ptr<const Picture> Picture::fromBody(QByteArray className, QByteArray body, QImage image)
{
    return std::make_shared<const Picture>(std::move(className), std::move(body), std::move(image));
}
