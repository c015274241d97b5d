#pragma once

// Picture import: any picture Qt can read (PNG, JPEG, GIF, BMP of any depth)
// made a red and black picture of the editor. The picture is scaled to 8
// rows keeping its aspect ratio, each pixel's brightness is compared with a
// threshold, and the pixels at or above it are lit (red), the others dark
// (black); "inverted" swaps the two, for dark drawings on a light ground.
// Transparent parts count as dark, as the sign's ground is.
//
// Scaling is done once (ScaledPicture), so that moving the threshold while
// the operator watches costs only the comparison.

#include <QImage>
#include <QString>

namespace PictureImport {

inline constexpr int DefaultThreshold = 128;

// The brightness (0 .. 255) of every pixel of the picture scaled to 8 rows.
struct ScaledPicture {
    QImage grey;  // Format_Grayscale8, W x 8; null when there is nothing
};

// Reads a picture file of any kind Qt reads. False with the text to show
// when it cannot be read.
bool read(const QString &fileName, QImage *image, QString *error);

// `image` scaled to 8 rows: width round(w * 8 / h), at least 1 and at most
// the editor's widest picture.
ScaledPicture scale(const QImage &image);

// The editor's picture: red where the brightness is at or above `threshold`
// (below it with `inverted`), black elsewhere.
QImage threshold(const ScaledPicture &scaled, int threshold, bool inverted = false);

// The share of the picture's pixels that are lit (0 for the empty picture).
double litShare(const QImage &picture);

} // namespace PictureImport
