#pragma once

// The graphic editor's picture files. The kind of a file is told by its
// extension, compared without regard to case:
//   "bmp"                             a Windows bitmap, read by the core's
//                                     bitmap reader (any depth);
//   "jpg", "jpeg", "ico", "emf", "wmf"  pictures of other kinds: the file is
//                                     read, and gives the empty picture
//                                     (width 0), since the editor draws only
//                                     bitmaps;
//   anything else                     refused.
// Writing always makes a bitmap file, whatever the extension: the picture at
// 4 bits a pixel with its 16-entry colour table.
//
// Errors: read() and write() return false with the text the operator is
// shown ("Cannot open file NAME", "Bitmap image is not valid", "Unknown
// picture file extension (.EXT)", "Cannot create file NAME", "The picture is
// N pixels wide; at most 65535 columns fit the sign"). A failed write leaves
// an existing file as it was (the picture goes to a temporary file first).

#include <QImage>
#include <QString>

namespace PictureFile {

// The largest file read: far beyond any bitmap of at most 4 Mpixels.
inline constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// The picture in `fileName` as it was read (not yet made 4 bits and 8 rows;
// a null image for the other kinds of picture).
bool read(const QString &fileName, QImage *image, QString *error);

bool write(const QString &fileName, const QImage &picture, QString *error);

// `fileName` with ".bmp" added when it has no extension.
QString withDefaultExtension(const QString &fileName);

} // namespace PictureFile
