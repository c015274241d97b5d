#include "InvalidPicture.h"

QImage invalidPictureImage()
{
    static const QImage image = [] {
        constexpr int Size = 32;
        QImage img(Size, Size, QImage::Format_RGB32);
        img.fill(qRgb(255, 255, 255));
        for (int i = 0; i < Size; ++i) {
            for (const int edge : {0, Size - 1}) {
                img.setPixel(i, edge, qRgb(128, 128, 128));
                img.setPixel(edge, i, qRgb(128, 128, 128));
            }
        }
        // A cross two pixels thick, inside the frame.
        for (int i = 4; i < Size - 4; ++i) {
            for (const int d : {0, 1}) {
                const int x = qMin(i + d, Size - 5);
                img.setPixel(x, i, qRgb(255, 0, 0));
                img.setPixel(Size - 1 - x, i, qRgb(255, 0, 0));
            }
        }
        return img;
    }();
    return image;
}
