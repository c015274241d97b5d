#pragma once

// Input and output of the commands that convert files, where "-" stands
// for standard input or standard output. Files are written whole through a
// temporary file beside them, so a failure never leaves half a file.

#include "document/model/SourceDocument.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QTextStream;

bool isStandardStream(const QString &name);

// The bytes of a file, or of standard input for "-"; nothing on failure,
// with the reason in *error.
std::optional<QByteArray> readInput(const QString &name, QString *error);

// Writes `bytes` to a file, or to standard output for "-". False on
// failure, with the reason in *error.
bool writeOutput(const QString &name, const QByteArray &bytes, QString *error);

// The opening of every command that reads a source file: the marker classes
// registered, the file read, and a file that cannot be read reported on
// `err` as "oravelt-cli: cannot read <file and reason>". Nothing when it
// cannot be read (the command then ends with the usage status).
std::optional<SourceDocument> readSourceForCommand(const QString &fileName, QTextStream &err);
