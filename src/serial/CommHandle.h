#pragma once

// TCommHandle: an open serial device as a TCommunicationConnection. It keeps
// the line settings and applies them to the device, sets time-outs and queue
// sizes, runs the event thread while open, writes and reads with time-outs
// under IoLock, purges the queues, drives DTR, RTS, break and transmission,
// and turns device events into notifications. TComm adds DeviceName and opens
// the device by that name.
//
// Ownership: the component owns its device while open, its event thread, its
// lock and its hand-over queue; its QObject parent owns the component.
//
// Errors: every failing platform call raises EComError naming the call whose
// role it plays ("CreateFile", "GetFileType", "SetCommTimeouts",
// "SetCommState", "SetupComm", "WriteFile", "ReadFile", "EscapeCommFunction").
// A write or read that does not complete in time returns what was done (0 for
// a single byte) and raises nothing.
//
// Threads: opening, closing, property changes and SetSignal belong to the
// thread that owns the component. Write and Read may also be called from the
// event thread (handlers with DontSynchronize set); IoLock makes them one at a
// time and is held for the whole wait.

#include "CommPlatform.h"
#include "CommTypes.h"
#include "CommunicationConnection.h"

#include <QMutex>

#include <array>
#include <memory>

class CommHandOverQueue;
class TCommEventThread;

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TCommErrorEvent = std::function<void(QObject *Sender, quint32 Errors)>;

class TCommHandle : public TCommunicationConnection {
public:
    explicit TCommHandle(QObject *owner = nullptr);
    ~TCommHandle() override;

    // The open device's platform handle (a file descriptor on POSIX), or -1.
    qintptr Handle() const;

    TBaudrate Baudrate() const { return m_baudrate; }
    void setBaudrate(TBaudrate value);
    TParity Parity() const { return m_parity; }
    void setParity(TParity value);
    TStopbits Stopbits() const { return m_stopbits; }
    void setStopbits(TStopbits value);
    TDatabits Databits() const { return m_databits; }
    void setDatabits(TDatabits value);
    TFlowControl FlowControl() const { return m_flowControl; }
    void setFlowControl(TFlowControl value);
    TCommOptions Options() const { return m_options; }
    void setOptions(TCommOptions value);

    char XonChar() const { return m_chars[0]; }
    void setXonChar(char value) { setChar(0, value); }
    char XoffChar() const { return m_chars[1]; }
    void setXoffChar(char value) { setChar(1, value); }
    char ErrorChar() const { return m_chars[2]; }
    void setErrorChar(char value) { setChar(2, value); }
    char EofChar() const { return m_chars[3]; }
    void setEofChar(char value) { setChar(3, value); }
    char EvtChar() const { return m_chars[4]; }
    void setEvtChar(char value) { setChar(4, value); }

    int ReadTimeout() const { return m_readTimeout.load(std::memory_order_relaxed); }
    void setReadTimeout(int ms) { m_readTimeout.store(ms, std::memory_order_relaxed); }
    int WriteTimeout() const { return m_writeTimeout.load(std::memory_order_relaxed); }
    void setWriteTimeout(int ms) { m_writeTimeout.store(ms, std::memory_order_relaxed); }

    // These cannot change while open ("Connection is active").
    int ReadBufSize() const { return m_readBufSize; }
    void setReadBufSize(int value);
    int WriteBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(int value);
    TCommEventTypes MonitorEvents() const { return m_monitorEvents; }
    void setMonitorEvents(TCommEventTypes value);

    void setOnBreak(TNotifyEvent handler) { m_onBreak = std::move(handler); }
    void setOnCts(TNotifyEvent handler) { m_onCts = std::move(handler); }
    void setOnDsr(TNotifyEvent handler) { m_onDsr = std::move(handler); }
    void setOnError(TCommErrorEvent handler) { m_onError = std::move(handler); }
    void setOnRing(TNotifyEvent handler) { m_onRing = std::move(handler); }
    void setOnRlsd(TNotifyEvent handler) { m_onRlsd = std::move(handler); }
    void setOnRxFlag(TNotifyEvent handler) { m_onRxFlag = std::move(handler); }
    void setOnTxEmpty(TNotifyEvent handler) { m_onTxEmpty = std::move(handler); }

    // -1 when closed.
    int InQueCount() override;
    void PurgeIn() override;
    void PurgeOut() override;
    int Write(const char *buffer, int count) override;
    int Read(char *buffer, int count) override;

    // "Connection is inactive" when closed; then the line change. A device
    // without modem lines (a pseudo-terminal) takes the line changes as done.
    void SetSignal(TCommSignal line, bool state);

    // Bytes written but not yet on the line; -1 when closed or unknown.
    int OutQueCount();

    // Waits until the bytes already written have left the port, at most for
    // the time they need on the line at the current settings plus marginMs.
    // Returns how many were still queued when that bound ran out (0 when all
    // went out, also when the port is closed). A write returns as soon as the
    // device has queued its byte, so whoever closes after a transfer must
    // drain first or the close's purge drops the end of the data.
    // stopRequested, when given, is asked between looks at the queue and ends
    // the wait early (returning what is still queued). May run on another
    // thread than the owner's while the owner runs its event loop.
    int DrainOut(int marginMs, const std::function<bool()> &stopRequested = {});

    // Line time of one byte at the current settings, in microseconds.
    qint64 byteTimeMicroseconds() const;

    // Notification batches the event thread has handed over and that wait
    // for this thread to run them (from its event loop, or during closing).
    int pendingHandOvers() const;
    // Whether the event thread is running (the port is open).
    bool hasEventThread() const { return m_eventThread != nullptr; }

    // Called by the event thread with a batch of events (device mask bits).
    virtual void HandleEvents(quint32 eventMask);

    virtual void ApplySettings();

protected:
    void DoOpen() override;
    void DoClose() override;

    // The subclass that opens the device hands it over here before DoOpen.
    void setDevice(std::unique_ptr<CommPlatform::Device> device);
    CommPlatform::Device *device() const { return m_device.get(); }

    [[noreturn]] static void raiseLastError(const QString &function);

private:
    void setChar(int index, char value);
    void settingChanged();

    std::unique_ptr<CommPlatform::Device> m_device;
    TBaudrate m_baudrate = br9600;
    TParity m_parity = paNone;
    TStopbits m_stopbits = sb10;
    TDatabits m_databits = da8;
    TFlowControl m_flowControl = fcDefault;
    TCommOptions m_options;
    std::array<char, 5> m_chars{0x11, 0x13, 0, 0, 0};
    std::atomic<int> m_readTimeout{1000};
    std::atomic<int> m_writeTimeout{1000};
    int m_readBufSize = 4096;
    int m_writeBufSize = 2048;
    TCommEventTypes m_monitorEvents = AllCommEvents;
    QMutex m_ioLock;
    std::unique_ptr<CommHandOverQueue> m_handOver;
    std::unique_ptr<TCommEventThread> m_eventThread;
    TNotifyEvent m_onBreak, m_onCts, m_onDsr, m_onRing, m_onRlsd, m_onRxFlag, m_onTxEmpty;
    TCommErrorEvent m_onError;
};

class TComm : public TCommHandle {
public:
    explicit TComm(QObject *owner = nullptr);
    ~TComm() override;

    // A name with a slash is a device path; any other names a device under
    // /dev; tcp://HOST:PORT and rfc2217://HOST:PORT are network ports
    // (NetworkCommDevice.h).
    const QString &DeviceName() const { return m_deviceName; }
    void setDeviceName(const QString &name);  // CheckInactive first

protected:
    void DoOpen() override;
    void DoClose() override;

private:
    QString m_deviceName = QStringLiteral("Com2");
};
