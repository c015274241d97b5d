#pragma once

// What upload and set-clock print while they talk to the sign: a progress
// line with bytes sent and time left on standard error while it is a
// terminal, and always a final line telling whether every byte was taken.

#include "link/DeviceLink.h"

#include <QElapsedTimer>
#include <QString>

class TransferConsole {
public:
    // byteMicroseconds: line time of one byte, for the time left.
    TransferConsole(const QString &what, qint64 byteMicroseconds);

    void progress(const TransferProgress &progress);
    // Prints the final line; returns the exit status for it.
    int finish(const TransferReport &report, const QString &device);
    // After a port error; returns the exit status.
    int failed(const QString &message, const TransferReport &report);
    // After a port error during a program load: how many of the program's
    // bytes the port took before it failed; returns the exit status (1).
    int failedUpload(const QString &message, const TransferReport &report, qint64 programSize);

private:
    void clearLine();

    QString m_what;
    qint64 m_byteMicroseconds;
    bool m_terminal;
    bool m_lineShown = false;
    QElapsedTimer m_sinceShown;
};

// Writes a line to standard error.
void printError(const QString &text);
