#pragma once

// Reads a source file (*.abc) into a source document. The reader takes files
// this system did not write: records in any order, older format versions,
// unknown record kinds (skipped by their line count), out-of-range style
// numbers (repaired to 0), pictures and controls of unknown classes (dropped).
// The standard marker classes and TImage are registered by the reader itself
// (ClassRegistry), so they are never dropped.
//
// Reading empties the document's items first; the style tables, background
// and layout are replaced by what the file brings (a style table only when
// the file's table has entries). On malformed data the result is false and
// whatever was read before the fault stays in the document; *error (when
// given) tells where and why. A file that cannot be opened leaves the
// document untouched.

#include "FileError.h"
#include "document/model/SourceDocument.h"

#include <QByteArrayView>
#include <QString>

bool readSourceBytes(QByteArrayView bytes, SourceDocument &document, FileError *error = nullptr);
bool ReadSourceFile(const QString &fileName, SourceDocument &document, FileError *error = nullptr);
