#pragma once

// Writes a source document as a source file (*.abc): a version record, the
// background record, the text, paragraph and list style tables, the layout
// record, then one record per run of items. A document with no items is an
// empty file. Every line ends with CR LF; binary blocks are followed directly
// by the next line.

#include "FileError.h"
#include "document/model/SourceDocument.h"

#include <QByteArray>
#include <QString>

// The bytes of the file for `document`.
QByteArray writeSourceBytes(const SourceDocument &document);

// Writes the file through a temporary file beside it that replaces the old
// file only when complete: on failure the old file is untouched, the result
// is false and *error (when given) names the file and the reason.
bool WriteSourceFile(const QString &fileName, const SourceDocument &document, FileError *error = nullptr);
