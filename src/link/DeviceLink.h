#pragma once

// The two operations with the sign, program load and clock setting, run
// through one frame on the port's owner thread:
//   open routine (line settings, open, DTR cleared, RTS set),
//   preamble (1921 one-byte writes of the marker),
//   payload (program: one byte per write; clock: built right then, one
//   six-byte write),
//   close routine (drain, purge output, close).
//
// A write that times out is not an error: the transfer goes on with the next
// byte, but such bytes are counted, and a transfer that lost any reports it
// (TransferReport::complete() is false) so the operator is told.
//
// Failures are port errors (EComError) and leave the frame where they happen:
// an opening that fails leaves the port closed; a write that fails leaves it
// open (the caller's close routine or "Стоп" closes it later). report()
// describes what was done up to the failure.
//
// The close routine waits for the output queue to drain before it purges: a
// write returns once the driver has queued its byte, so purging at once would
// drop the end of the program. The wait is bounded by the line time of what
// is still queued plus a margin; bytes still queued after that are counted as
// dropped.

#include "serial/CommHandle.h"

#include <QByteArray>
#include <QDateTime>

#include <functional>

struct TransferReport {
    qint64 total = 0;           // preamble and payload
    qint64 sent = 0;            // bytes the port took
    qint64 timedOut = 0;        // bytes whose write timed out: not sent
    qint64 droppedAtClose = 0;  // bytes still queued when the drain bound ran out
    QByteArray payload;         // the payload as built (the clock's six bytes)
    bool finished = false;      // the frame ran to its end

    bool complete() const { return finished && timedOut == 0 && droppedAtClose == 0; }
};

struct TransferProgress {
    qint64 sent = 0;  // including bytes that timed out
    qint64 total = 0;
    qint64 timedOut = 0;
};

class DeviceLink {
public:
    enum class OpenResult { Opened, AlreadyOpen };

    using ProgressHandler = std::function<void(const TransferProgress &)>;

    explicit DeviceLink(TComm &port);

    // The sign's protocol uses 1000 ms; tests shorten it.
    void setWriteTimeout(int ms) { m_writeTimeoutMs = ms; }
    void setDrainMargin(int ms) { m_drainMarginMs = ms; }
    // Called every few bytes and once at the end of preamble and payload.
    void setProgressHandler(ProgressHandler handler) { m_progress = std::move(handler); }
    // Called when an operation finds the port already open; it then goes on
    // over the open port.
    void setAlreadyOpenHandler(std::function<void()> handler) { m_alreadyOpen = std::move(handler); }

    // Open routine. The port error of a failed opening goes to the caller.
    OpenResult openPort(const QString &deviceName);
    // Close routine; returns the bytes dropped because the drain bound ran
    // out. Nothing happens when the port is closed.
    qint64 closePort();

    TransferReport upload(const QString &deviceName, const QByteArray &program);
    // moment() is read after the preamble, right before the payload is built.
    TransferReport setClock(const QString &deviceName, const std::function<QDateTime()> &moment);

    const TransferReport &report() const { return m_report; }

private:
    void writePreamble(char marker);
    void writeBytesOneByOne(const QByteArray &bytes);
    void account(int written, int wanted);
    void tellProgress();

    TComm &m_port;
    int m_writeTimeoutMs;
    int m_drainMarginMs = 1000;
    ProgressHandler m_progress;
    std::function<void()> m_alreadyOpen;
    TransferReport m_report;
};
