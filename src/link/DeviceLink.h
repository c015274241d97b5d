#pragma once

// The two operations with the sign, program load and clock setting, run
// through one frame:
//   open routine (line settings, open, DTR cleared, RTS set),
//   preamble (1921 one-byte writes of the marker),
//   payload (program: one byte per write; clock: built right then, one
//   six-byte write),
//   close routine (purge output, close).
// upload() and setClock() run the whole frame on the calling thread. The
// connection window opens and closes on its own thread and has write() run
// on another (TransferRunner), so that its event loop keeps going.
//
// A write that times out is not an error: the transfer goes on with the next
// byte, but such bytes are counted, and a transfer that lost any reports it
// (TransferReport::complete() is false) so the operator is told.
//
// A stop request is looked at before every byte: the byte in hand is
// finished, nothing after it is written, and the report says how far it got.
//
// Failures are port errors (EComError) and leave the frame where they happen:
// an opening that fails leaves the port closed; a write that fails leaves it
// open (the caller's close routine or "Стоп" closes it later). report()
// describes what was done up to the failure.
//
// Writes return once the driver has queued their byte, so the line lags
// behind them by up to the driver's queue. Two places wait for it:
// - the clock is read only when the preamble has left the line (its line
//   time since the first byte, and the queue empty where the device tells),
//   so the sign is set to the moment the payload reaches it, not seconds
//   earlier;
// - after the payload, write() waits for the queue to drain, so the close's
//   purge does not drop the end of the program. The wait is bounded by the
//   line time of what is still queued plus a margin; bytes still queued
//   after that are counted as dropped.
//
// Threads: openPort(), closePort() and purgeAndClose() belong to the port's
// owner thread. write() may run on any thread while the owner runs its event
// loop (the port's lock keeps its writes and the owner's reads apart); the
// owner must not open, close or reconfigure the port until write() returned.
// The progress handler runs on the thread that writes.

#include "serial/CommHandle.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>

#include <functional>

enum class TransferPhase {
    Preamble,
    Program,
    Clock,
    Draining,  // every byte written; waiting for the line to carry the last ones
};

struct TransferPlan {
    char marker = 0;
    QByteArray program;                 // program load: sent one byte per write
    std::function<QDateTime()> moment;  // clock setting: read after the preamble

    static TransferPlan programLoad(const QByteArray &program);
    static TransferPlan clockSetting(std::function<QDateTime()> moment);

    bool isClockSetting() const { return bool(moment); }
    qint64 total() const;
};

struct TransferReport {
    qint64 total = 0;           // preamble and payload
    qint64 sent = 0;            // bytes the port took
    qint64 payloadSent = 0;     // of which payload bytes
    qint64 timedOut = 0;        // bytes whose write timed out: not sent
    qint64 droppedAtClose = 0;  // bytes still queued when the drain bound ran out
    qint64 queuedAtStop = 0;    // bytes still queued when a stop ended the transfer
    QByteArray payload;         // the payload as built (the clock's six bytes)
    QDateTime moment;           // clock setting: the moment the payload was built from
    bool stopped = false;       // a stop request ended it early
    bool finished = false;      // it ended without a port error (stopped or not)

    bool complete() const { return finished && !stopped && timedOut == 0 && droppedAtClose == 0; }
    // Payload bytes that left for the line: taken and not purged after a stop
    // (where the device cannot tell its queue, taken).
    qint64 payloadDelivered() const { return qMax<qint64>(0, payloadSent - queuedAtStop); }
};

struct TransferProgress {
    TransferPhase phase = TransferPhase::Preamble;
    qint64 sent = 0;  // including bytes that timed out
    qint64 total = 0;
    qint64 timedOut = 0;
    qint64 lineWaitMs = 0;  // time still to wait for the line (clock setting, draining)

    int percent() const { return total > 0 ? int(sent * 100 / total) : 0; }
    // What is left at 11 bits a byte and 4800 bit/s, or the wait for the line
    // when that is longer.
    qint64 millisecondsLeft() const;
};

class DeviceLink {
public:
    enum class OpenResult { Opened, AlreadyOpen };

    using ProgressHandler = std::function<void(const TransferProgress &)>;
    using StopRequest = std::function<bool()>;

    explicit DeviceLink(TComm &port);

    TComm &port() const { return m_port; }

    // The sign's protocol uses 1000 ms; tests shorten it.
    void setWriteTimeout(int ms) { m_writeTimeoutMs = ms; }
    void setDrainMargin(int ms) { m_drainMarginMs = ms; }
    // Called every few bytes, at every change of phase and during waits.
    void setProgressHandler(ProgressHandler handler) { m_progress = std::move(handler); }
    // Called when an operation finds the port already open; it then goes on
    // over the open port.
    void setAlreadyOpenHandler(std::function<void()> handler) { m_alreadyOpen = std::move(handler); }

    // Open routine. The port error of a failed opening goes to the caller.
    OpenResult openPort(const QString &deviceName);
    // Close routine after bytes written by hand: drains first; returns the
    // bytes dropped because the drain bound ran out. Nothing happens when the
    // port is closed.
    qint64 closePort();
    // Close routine without the drain (write() has drained already, or the
    // operator wants the port closed now).
    void purgeAndClose();

    // Preamble and payload of plan over the open port, then the drain. Starts
    // a new report.
    void write(const TransferPlan &plan, StopRequest stopRequested = {});

    TransferReport upload(const QString &deviceName, const QByteArray &program);
    // moment() is read after the preamble, right before the payload is built.
    TransferReport setClock(const QString &deviceName, const std::function<QDateTime()> &moment);

    const TransferReport &report() const { return m_report; }

private:
    TransferReport run(const QString &deviceName, const TransferPlan &plan);
    void begin(const TransferPlan &plan);
    bool stopping();
    bool writePreamble(char marker);
    bool writeBytesOneByOne(const QByteArray &bytes);
    bool waitForLine(const QElapsedTimer &started, qint64 bytes);
    void drain();
    void account(int written, int wanted, bool payload);
    void tellProgress();

    TComm &m_port;
    int m_writeTimeoutMs;
    int m_drainMarginMs = 1000;
    ProgressHandler m_progress;
    std::function<void()> m_alreadyOpen;
    StopRequest m_stopRequested;
    TransferPhase m_phase = TransferPhase::Preamble;
    qint64 m_lineWaitMs = 0;
    TransferReport m_report;
};
