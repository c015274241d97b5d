#pragma once

// Reading the compiled program for an upload. The file is read whole; its
// content is not examined. A file above 540672 bytes (the sign's program
// memory) is refused, an empty one gives nothing to send, and a file that
// cannot be opened or read gives the runtime's file error text ("File access
// denied", "I/O error <code>").

#include <QByteArray>
#include <QString>

struct ProgramFile {
    static constexpr qint64 MaxSize = 540672;  // 0x84000

    enum Status {
        Loaded,      // bytes holds 1 to MaxSize bytes
        Empty,       // nothing to send, and nothing to say
        Missing,     // message: LinkMessages::programMissing()
        TooLarge,    // message: LinkMessages::programTooLarge()
        Unreadable,  // message: the file error
    };

    Status status = Missing;
    QByteArray bytes;
    QString message;

    bool hasPayload() const { return status == Loaded; }

    static ProgramFile read(const QString &path);
};
