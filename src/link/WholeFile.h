#pragma once

// A whole file read with the system's own calls, so that a failure keeps the
// system's error code for the message the user sees.

#include <QByteArray>
#include <QString>

struct WholeFile {
    enum Result {
        Read,       // bytes holds the file (possibly nothing)
        Missing,    // no such file, or a folder on the way is missing
        TooLarge,   // larger than the limit: nothing read
        Failed,     // error: the system's code
    };

    Result result = Missing;
    int error = 0;
    QByteArray bytes;

    // A file that shrinks while it is read gives what it holds then.
    static WholeFile read(const QString &path, qint64 maxSize);
    // The system's "access denied" (a folder given as the file is one too on
    // Windows; on POSIX it fails with its own code).
    static bool isAccessDenied(int error);
};
