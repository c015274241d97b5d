#pragma once

// What went wrong with a file, captured where the failure happened: the file,
// the byte offset and line (record header) where reading stopped, and why.

#include <QString>

struct FileError {
    QString fileName;
    qint64 offset = -1;  // byte offset in the file, -1 when it does not apply
    int line = -1;       // 1-based line number, -1 when it does not apply
    QString reason;

    // "file: line N (offset M): reason", leaving out what is unknown.
    QString toString() const;
};
