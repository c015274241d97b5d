#pragma once

// The bodies of pictures in source files, by class: "TBitmap" a Windows
// bitmap file, "TJPEGImage" a JPEG file, "TIcon" an icon file and
// "TMetafile" a metafile. Icons and metafiles are kept as their bytes
// without being decoded (their pictures have no pixels here).
//
// A picture read from a file keeps its body, and is written back with it
// unchanged; a picture made in memory (always a bitmap) is encoded.

#include "document/model/Picture.h"

#include <QByteArray>
#include <QByteArrayView>

// The picture classes a source file may name.
bool isKnownPictureClass(QByteArrayView className);

QByteArray EncodePicture(const Picture &picture);

// The picture of class `className` decoded from `bytes`, keeping the bytes
// as its body; nullptr when the class is unknown or the bytes cannot be
// decoded.
PicturePtr DecodePicture(const QByteArray &className, QByteArrayView bytes);
