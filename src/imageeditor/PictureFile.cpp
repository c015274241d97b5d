#include "PictureFile.h"

#include "EditorPicture.h"

#include "document/pictures/BitmapFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace PictureFile {

namespace {

QString shownName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

bool readBytes(const QString &fileName, QByteArray *bytes, QString *error)
{
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly)) {
        *error = u"Cannot open file %1"_s.arg(shownName(fileName));
        return false;
    }
    if (file.size() > MaxFileSize) {
        *error = u"Bitmap image is not valid"_s;
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = u"Cannot open file %1"_s.arg(shownName(fileName));
        return false;
    }
    return true;
}

} // namespace

bool read(const QString &fileName, QImage *image, QString *error)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const bool bitmap = extension == u"bmp"_s;
    const bool otherKind = extension == u"jpg"_s || extension == u"jpeg"_s || extension == u"ico"_s
        || extension == u"emf"_s || extension == u"wmf"_s;
    if (!bitmap && !otherKind) {
        *error = u"Unknown picture file extension (.%1)"_s.arg(QFileInfo(fileName).suffix());
        return false;
    }
    QByteArray bytes;
    if (!readBytes(fileName, &bytes, error))
        return false;
    if (otherKind) {
        *image = QImage();
        return true;
    }
    std::optional<QImage> decoded = BitmapFile::decode(bytes);
    if (!decoded) {
        *error = u"Bitmap image is not valid"_s;
        return false;
    }
    if (decoded->width() > EditorPicture::MaxWidth) {
        *error = u"The picture is %1 pixels wide; at most %2 columns fit the sign"_s.arg(decoded->width())
                     .arg(EditorPicture::MaxWidth);
        return false;
    }
    *image = std::move(*decoded);
    return true;
}

bool write(const QString &fileName, const QImage &picture, QString *error)
{
    QSaveFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::WriteOnly)) {
        *error = u"Cannot create file %1"_s.arg(shownName(fileName));
        return false;
    }
    const QByteArray bytes = BitmapFile::encode(picture);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = u"Cannot create file %1"_s.arg(shownName(fileName));
        return false;
    }
    return true;
}

QString withDefaultExtension(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName.endsWith(u'.') ? fileName + u"bmp"_s : fileName + u".bmp"_s;
}

} // namespace PictureFile
