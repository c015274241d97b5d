#include "PictureImport.h"

#include "EditorPicture.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace PictureImport {

bool read(const QString &fileName, QImage *image, QString *error)
{
    QImageReader reader(fileName);
    reader.setAutoTransform(true);
    QImage read;
    if (!reader.read(&read) || read.isNull()) {
        if (reader.error() == QImageReader::FileNotFoundError || reader.error() == QImageReader::DeviceError)
            *error = u"Cannot open file %1"_s.arg(QDir::toNativeSeparators(fileName));
        else
            *error = u"The picture in %1 cannot be read: %2"_s.arg(QDir::toNativeSeparators(fileName),
                                                                   reader.errorString());
        return false;
    }
    *image = std::move(read);
    return true;
}

ScaledPicture scale(const QImage &image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return {};
    const double exact = double(image.width()) * EditorPicture::Rows / image.height();
    const int width = std::clamp(int(std::lround(exact)), 1, EditorPicture::MaxWidth);

    // Transparent parts over the dark ground first, then the brightness.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::black);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    const QImage scaled = flat.scaled(width, EditorPicture::Rows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {scaled.convertToFormat(QImage::Format_Grayscale8)};
}

QImage threshold(const ScaledPicture &scaled, int threshold, bool inverted)
{
    if (scaled.grey.isNull())
        return QImage();
    QImage picture = EditorPicture::blank(scaled.grey.width(), EditorPicture::Black);
    const uchar red = uchar(EditorPicture::nearestIndex(EditorPicture::Red));
    const uchar black = uchar(EditorPicture::nearestIndex(EditorPicture::Black));
    for (int y = 0; y < EditorPicture::Rows; ++y) {
        const uchar *in = scaled.grey.constScanLine(y);
        uchar *out = picture.scanLine(y);
        for (int x = 0; x < scaled.grey.width(); ++x)
            out[x] = ((in[x] >= threshold) != inverted) ? red : black;
    }
    return picture;
}

double litShare(const QImage &picture)
{
    if (picture.isNull())
        return 0;
    qint64 lit = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            lit += (picture.pixel(x, y) | 0xFF000000u) == EditorPicture::Red;
    return double(lit) / (qint64(picture.width()) * picture.height());
}

} // namespace PictureImport
