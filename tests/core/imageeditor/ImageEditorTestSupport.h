#pragma once

// Readable values and bitmap files made byte by byte for the graphic
// editor's tests.

#include "StreamBytes.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <ostream>

inline void PrintTo(const QPoint &p, std::ostream *os)
{
    *os << '(' << p.x() << ", " << p.y() << ')';
}

inline void PrintTo(const QSize &s, std::ostream *os)
{
    *os << s.width() << 'x' << s.height();
}

inline void PrintTo(const QRect &r, std::ostream *os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

// An uncompressed bitmap file with the 40-byte header: `rows` as stored
// (bottom row first, each padded by the caller), `palette` for the table.
inline QByteArray bitmapFile(int width, int height, int bitsPerPixel, const QList<QRgb> &palette,
                             const QByteArray &rows)
{
    using namespace StreamBytes;
    QByteArray table;
    for (const QRgb c : palette)
        table += bytes({qBlue(c), qGreen(c), qRed(c), 0});
    const int offset = 14 + 40 + int(table.size());
    return "BM" + le32(offset + rows.size()) + le32(0) + le32(offset) + le32(40) + le32(width) + le32(height)
        + le16(1) + le16(bitsPerPixel) + le32(0) + le32(rows.size()) + le32(0) + le32(0) + le32(palette.size())
        + le32(0) + table + rows;
}

// A 24-bit bitmap file of `image`'s pixels.
inline QByteArray bitmapFile24(const QImage &image)
{
    QByteArray rows;
    const int stride = ((image.width() * 24 + 31) / 32) * 4;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row[3 * x] = char(qBlue(c));
            row[3 * x + 1] = char(qGreen(c));
            row[3 * x + 2] = char(qRed(c));
        }
        rows += row;
    }
    return bitmapFile(image.width(), image.height(), 24, {}, rows);
}
