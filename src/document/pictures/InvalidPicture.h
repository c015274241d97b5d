#pragma once

// The picture shown in place of one whose body cannot be decoded: a 32 x 32
// bitmap of a grey frame with a red cross, so the operator sees at once
// that something is there but could not be read.

#include <QImage>

QImage invalidPictureImage();
