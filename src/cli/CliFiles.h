#pragma once

// Input and output of the commands that convert files, where "-" stands
// for standard input or standard output. Files are written whole through a
// temporary file beside them, so a failure never leaves half a file.

#include <QByteArray>
#include <QString>

#include <optional>

bool isStandardStream(const QString &name);

// The bytes of a file, or of standard input for "-"; nothing on failure,
// with the reason in *error.
std::optional<QByteArray> readInput(const QString &name, QString *error);

// Writes `bytes` to a file, or to standard output for "-". False on
// failure, with the reason in *error.
bool writeOutput(const QString &name, const QByteArray &bytes, QString *error);
