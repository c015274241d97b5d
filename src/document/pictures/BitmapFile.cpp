#include "BitmapFile.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace BitmapFile {

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putHeaders(QByteArray &out, int width, int height, int bitsPerPixel, int paletteSize, qsizetype imageSize)
{
    const quint32 offset = quint32(FileHeaderSize + InfoHeaderSize + 4 * paletteSize);
    out.append("BM", 2);
    put32(out, quint32(offset + imageSize));
    put32(out, 0);  // reserved
    put32(out, offset);
    put32(out, InfoHeaderSize);
    put32(out, quint32(width));
    put32(out, quint32(height));  // positive: rows bottom up
    put16(out, 1);                // planes
    put16(out, quint16(bitsPerPixel));
    put32(out, 0);  // no compression
    put32(out, quint32(imageSize));
    put32(out, 0);  // pixels per metre, horizontal and vertical
    put32(out, 0);
    put32(out, 0);  // colours used: all of the table
    put32(out, 0);  // colours important: all
}

qsizetype rowStride(int width, int bitsPerPixel)
{
    return ((qsizetype(width) * bitsPerPixel + 31) / 32) * 4;
}

QByteArray encode4(const QImage &rgb, const QList<QRgb> &palette)
{
    const int w = rgb.width();
    const int h = rgb.height();
    const qsizetype stride = rowStride(w, 4);
    QByteArray out;
    out.reserve(FileHeaderSize + InfoHeaderSize + 64 + stride * h);
    putHeaders(out, w, h, 4, 16, stride * h);
    for (int i = 0; i < 16; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    QHash<QRgb, int> index;
    for (int i = 0; i < palette.size(); ++i)
        index.insert(palette[i], i);
    QByteArray row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        row.fill('\0');
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = index.value(line[x] | 0xFF000000u, 0);
            row[x / 2] = char(quint8(row[x / 2]) | (x % 2 == 0 ? n << 4 : n));
        }
        out.append(row);
    }
    return out;
}

QByteArray encode24(const QImage &rgb)
{
    const int w = rgb.width();
    const int h = rgb.height();
    const qsizetype stride = rowStride(w, 24);
    QByteArray out;
    out.reserve(FileHeaderSize + InfoHeaderSize + stride * h);
    putHeaders(out, w, h, 24, 0, stride * h);
    QByteArray row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = char(qBlue(line[x]));
            row[3 * x + 1] = char(qGreen(line[x]));
            row[3 * x + 2] = char(qRed(line[x]));
        }
        out.append(row);
    }
    return out;
}

quint32 get32(QByteArrayView b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.data() + at);
}

quint16 get16(QByteArrayView b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.data() + at);
}

// Uncompressed bitmaps with the usual 40-byte header and a palette, or 24
// or 32 bits a pixel: what this system writes and most programs do. They
// are read here directly; Qt's reader, which takes every other variant,
// costs several microseconds a picture in set-up alone. Nothing when the
// file is not of this kind (the caller then hands it to Qt's reader).
std::optional<QImage> decodePlain(QByteArrayView bytes, qint64 width, qint64 height, int bitsPerPixel)
{
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return std::nullopt;
    const qint64 paletteStart = FileHeaderSize + InfoHeaderSize;
    qint64 colours = 0;
    if (bitsPerPixel <= 8) {
        const quint32 used = get32(bytes, 46);
        colours = used == 0 ? (1 << bitsPerPixel) : used;
        if (colours > (1 << bitsPerPixel))
            return std::nullopt;
    }
    const qint64 offset = get32(bytes, 10);
    const qint64 stride = ((width * bitsPerPixel + 31) / 32) * 4;
    const qint64 rows = std::abs(height);
    if (offset < paletteStart + 4 * colours || offset + stride * rows > bytes.size())
        return std::nullopt;

    QImage image(int(width), int(rows), bitsPerPixel <= 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    if (bitsPerPixel <= 8) {
        // Indexes past the table read as black, as they show.
        QList<QRgb> table(1 << bitsPerPixel, qRgb(0, 0, 0));
        for (qint64 i = 0; i < colours; ++i) {
            const auto *c = reinterpret_cast<const uchar *>(bytes.data() + paletteStart + 4 * i);
            table[i] = qRgb(c[2], c[1], c[0]);
        }
        image.setColorTable(table);
    }
    const auto *data = reinterpret_cast<const uchar *>(bytes.data() + offset);
    for (qint64 r = 0; r < rows; ++r) {
        const uchar *in = data + r * stride;
        const int y = int(height > 0 ? rows - 1 - r : r);
        uchar *out = image.scanLine(y);
        switch (bitsPerPixel) {
        case 1:
            for (qint64 x = 0; x < width; ++x)
                out[x] = (in[x / 8] >> (7 - x % 8)) & 1;
            break;
        case 4:
            for (qint64 x = 0; x < width; ++x)
                out[x] = x % 2 == 0 ? in[x / 2] >> 4 : in[x / 2] & 0x0F;
            break;
        case 8:
            std::memcpy(out, in, size_t(width));
            break;
        default: {
            auto *line = reinterpret_cast<QRgb *>(out);
            const int step = bitsPerPixel / 8;
            for (qint64 x = 0; x < width; ++x, in += step)
                line[x] = qRgb(in[2], in[1], in[0]);
            break;
        }
        }
    }
    return image;
}

} // namespace

const QList<QRgb> &standardPalette()
{
    static const QList<QRgb> palette{
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return palette;
}

QByteArray encode(const QImage &image)
{
    if (image.isNull())
        return encode4(QImage(), standardPalette());
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);

    // The colours in the picture, up to one more than fits a 16-entry table.
    QList<QRgb> colours;
    bool allStandard = true;
    const QList<QRgb> &standard = standardPalette();
    for (int y = 0; y < rgb.height() && colours.size() <= 16; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        QRgb last = 0;
        bool haveLast = false;
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (haveLast && c == last)
                continue;
            last = c;
            haveLast = true;
            if (!colours.contains(c)) {
                colours.append(c);
                allStandard = allStandard && standard.contains(c);
                if (colours.size() > 16)
                    break;
            }
        }
    }
    if (allStandard)
        return encode4(rgb, standard);
    if (colours.size() <= 16)
        return encode4(rgb, colours);
    return encode24(rgb);
}

std::optional<QImage> decode(QByteArrayView bytes)
{
    if (bytes.size() < FileHeaderSize + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    const quint32 headerSize = get32(bytes, FileHeaderSize);
    qint64 width = 0;
    qint64 height = 0;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = get16(bytes, 18);
        height = get16(bytes, 20);
        bitsPerPixel = get16(bytes, 24);
    } else if (headerSize >= InfoHeaderSize && bytes.size() >= FileHeaderSize + InfoHeaderSize) {
        width = qint32(get32(bytes, 18));
        height = qint32(get32(bytes, 22));
        bitsPerPixel = get16(bytes, 28);
        compression = get32(bytes, 30);
    } else {
        return std::nullopt;
    }
    if (width < 0)
        return std::nullopt;
    if (width == 0 || height == 0)
        return QImage();
    const qint64 rows = std::abs(height);
    if (width * rows > MaxPixels)
        return std::nullopt;
    // Pixels that start past the end of the file: nothing to read (and
    // Qt's reader would complain of the seek on standard error).
    if (qint64(get32(bytes, 10)) > bytes.size())
        return std::nullopt;

    // Uncompressed rows (bit fields included) must all be there; compressed
    // ones are bounded by the pixel count alone.
    constexpr quint32 Rgb = 0, BitFields = 3, AlphaBitFields = 6;
    if (compression == Rgb || compression == BitFields || compression == AlphaBitFields) {
        if (bitsPerPixel <= 0 || bitsPerPixel > 32)
            return std::nullopt;
        const qint64 need = ((width * bitsPerPixel + 31) / 32) * 4 * rows;
        if (need > bytes.size() - FileHeaderSize - qint64(headerSize))
            return std::nullopt;
    }

    if (headerSize == InfoHeaderSize && compression == Rgb) {
        if (auto image = decodePlain(bytes, width, height, bitsPerPixel))
            return image;
    }

    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    reader.setAutoTransform(false);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return image;
}

} // namespace BitmapFile
