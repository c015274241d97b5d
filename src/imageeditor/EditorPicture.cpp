#include "EditorPicture.h"

#include "document/pictures/BitmapFile.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace EditorPicture {

int nearestIndex(QRgb colour)
{
    const QList<QRgb> &table = BitmapFile::standardPalette();
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < table.size(); ++i) {
        const int dr = qRed(colour) - qRed(table[i]);
        const int dg = qGreen(colour) - qGreen(table[i]);
        const int db = qBlue(colour) - qBlue(table[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return best;
}

QImage blank(int width, QRgb colour)
{
    if (width <= 0)
        return QImage();
    QImage picture(width, Rows, QImage::Format_Indexed8);
    if (picture.isNull())
        return picture;
    picture.setColorTable(BitmapFile::standardPalette());
    picture.fill(uint(nearestIndex(colour)));
    return picture;
}

QImage fromImage(const QImage &image)
{
    if (image.isNull() || image.width() <= 0)
        return QImage();
    QImage picture = blank(image.width(), Black);
    if (picture.isNull())
        return picture;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    // Pictures hold few colours: remember each one's index once it is known.
    QHash<QRgb, uchar> known;
    const int rows = std::min(Rows, rgb.height());
    for (int y = 0; y < rows; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = picture.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = in[x] | 0xFF000000u;
            auto it = known.constFind(c);
            if (it == known.cend())
                it = known.insert(c, uchar(nearestIndex(c)));
            out[x] = *it;
        }
    }
    return picture;
}

} // namespace EditorPicture
