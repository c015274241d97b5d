#include "WorkBitmap.h"

#include "EditorPicture.h"

namespace WorkBitmap {

QSize size(int pictureWidth)
{
    return QSize(Cell * std::max(0, pictureWidth) + 1, Height);
}

std::optional<QPoint> cellAt(QPoint point, int pictureWidth)
{
    // Taken as unsigned numbers, points left of or above the bitmap are far
    // to its right or below it.
    if (point.x() < 0 || point.y() < 0)
        return std::nullopt;
    const int c = point.x() / Cell;
    const int r = point.y() / Cell;
    if (c >= pictureWidth || r >= EditorPicture::Rows)
        return std::nullopt;
    return QPoint(c, r);
}

QRect cellRect(QPoint cell)
{
    return QRect(Cell * cell.x() + 1, Cell * cell.y() + 1, Cell - 1, Cell - 1);
}

QImage render(const QImage &picture, QRect region)
{
    const int width = EditorPicture::width(picture);
    region &= QRect(QPoint(0, 0), size(width));
    if (region.isEmpty())
        return QImage();
    QImage out(region.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const QList<QRgb> table = picture.isNull() ? QList<QRgb>() : picture.colorTable();
    for (int y = region.top(); y <= region.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y - region.top()));
        if (y % Cell == 0) {
            std::fill(line, line + region.width(), GridColour);
            continue;
        }
        const uchar *cells = picture.constScanLine(y / Cell);
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb colour = x % Cell == 0 ? GridColour : table.value(cells[x / Cell], EditorPicture::Black);
            line[x - region.left()] = colour;
        }
    }
    return out;
}

QImage render(const QImage &picture)
{
    return render(picture, QRect(QPoint(0, 0), size(EditorPicture::width(picture))));
}

} // namespace WorkBitmap
