#pragma once

// The platform calls behind the serial port, kept to one small interface so
// that the port logic (CommHandle.cpp, CommEventThread.cpp) is written once.
// The vocabulary is that of the Win32 serial API the component was designed
// around (line-state record, purge flags, escape codes, event mask bits);
// each platform maps it onto its own calls. The POSIX termios implementation
// lives in posix/, the Win32 one in win32/.
//
// A port can also be a network connection (NetworkCommDevice, on Socket
// below): the device logic is written once over the small socket interface,
// whose platform part sits beside the serial backend.
//
// Every call that can fail returns false (or null, or -1) and records the
// failure with setLastError(), per thread, like the system's last-error code;
// the port turns it into an EComError right after the failing call.

#include <QString>

#include <memory>

namespace CommPlatform {

struct Error {
    int code = 0;
    QString text;
};
Error lastError();
// An empty text takes the system's text for code.
void setLastError(int code, const QString &text = {});
QString systemErrorText(int code);

// Failures the port logic above the platform reports itself. Each backend
// maps them to its own system code, so that the code and its text are the
// ones the system gives for that failure everywhere else.
enum class Fault { BadHandle, Invalid, TimedOut, ConnectionReset, NotSupported, NotFound };
int faultCode(Fault fault);

// Line state in the layout of the Win32 device control block.
struct LineState {
    quint32 baudRate = 9600;
    quint32 flags = 0x0001;
    quint16 xonLimit = 0;
    quint16 xoffLimit = 0;
    quint8 byteSize = 8;
    quint8 parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    quint8 stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0x11;
    char xoffChar = 0x13;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;
};

namespace LineFlag {
enum : quint32 {
    Binary = 0x0001,
    ParityCheck = 0x0002,
    OutxCtsFlow = 0x0004,
    OutxDsrFlow = 0x0008,
    DtrControlMask = 0x0030,
    DtrControlHandshake = 0x0020,
    DsrSensitivity = 0x0040,
    TxContinueOnXoff = 0x0080,
    OutX = 0x0100,
    InX = 0x0200,
    ErrorChar = 0x0400,
    NullStrip = 0x0800,
    RtsControlMask = 0x3000,
    RtsControlHandshake = 0x2000,
    AbortOnError = 0x4000,
};
}

namespace PurgeFlag {
enum : quint32 { TxAbort = 0x01, RxAbort = 0x02, TxClear = 0x04, RxClear = 0x08 };
}

namespace EscapeCode {
enum : int { SetXoff = 1, SetXon = 2, SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6, SetBreak = 8, ClrBreak = 9 };
}

namespace EventBit {
enum : quint32 {
    RxChar = 0x001, RxFlag = 0x002, TxEmpty = 0x004, Cts = 0x008, Dsr = 0x010,
    Rlsd = 0x020, Break = 0x040, Err = 0x080, Ring = 0x100,
};
}

// Error flags reported by clearError (the Win32 CE_* layout).
namespace LineError {
enum : quint32 { RxOver = 0x01, Overrun = 0x02, RxParity = 0x04, Frame = 0x08, Break = 0x10 };
}

// Manual-reset event that wakes an event wait. set() and reset() may be
// called from any thread.
class WakeEvent {
public:
    virtual ~WakeEvent() = default;
    virtual void set() = 0;
    virtual void reset() = 0;
};
std::unique_ptr<WakeEvent> createWakeEvent();

// An open serial device. Destroying it closes the device. write, read,
// clearError, outQueue and purge may run on two threads at once (the owner
// and the event thread); waitEvent runs on the event thread only.
class Device {
public:
    virtual ~Device() = default;

    virtual qintptr nativeHandle() const = 0;
    // The role of GetFileType: a character device (a terminal) or not.
    virtual bool isCharacterDevice() = 0;
    virtual bool setEventMask(quint32 mask) = 0;
    // Blocks until an event of the mask happens (true, with *events) or the
    // wake event is set or the wait fails (false). Never spins: a device that
    // has hung up is no longer watched, only the wake event is.
    virtual bool waitEvent(WakeEvent &wake, quint32 *events) = 0;
    // Reads return at once with what is already received.
    virtual bool setReadReturnsAtOnce() = 0;
    virtual bool getState(LineState *state) = 0;
    virtual bool setState(const LineState &state) = 0;
    virtual bool setupQueues(int inputSize, int outputSize) = 0;
    // The number of bytes the device took within timeoutMs (possibly fewer
    // than count), or -1 on failure.
    virtual int write(const char *buffer, int count, int timeoutMs) = 0;
    // The number of bytes read (0 when nothing was there), or -1 on failure.
    virtual int read(char *buffer, int count, int timeoutMs) = 0;
    virtual bool clearError(quint32 *errors, int *inQueue) = 0;
    // Bytes written but not yet sent on the line; -1 when the device cannot tell.
    virtual int outQueue() = 0;
    // Waits until what the driver counts as sent has also left the hardware;
    // only called once outQueue() is 0.
    virtual bool waitUntilSent() = 0;
    virtual bool purge(quint32 flags) = 0;
    virtual bool escape(int code) = 0;
};

// Opens a device by name, exclusively, for reading and writing.
std::unique_ptr<Device> openDevice(const QString &name);

// A connected TCP stream, non-blocking underneath. Sends may run on one
// thread while receives and waits run on another; the network device
// serialises the sends among themselves and the receives among themselves.
class Socket {
public:
    virtual ~Socket() = default;

    virtual qintptr nativeHandle() const = 0;
    // Sends what fits within timeoutMs: the number of bytes taken (possibly
    // fewer than count, 0 when none fitted), or -1 when the connection failed
    // or the far side closed it.
    virtual int send(const char *data, int count, int timeoutMs) = 0;
    // What has arrived, without waiting: the number of bytes (0 when nothing
    // is there), or -1 when the far side closed the connection (the error is
    // set) or it failed.
    virtual int receive(char *buffer, int count) = 0;
    enum class Wait { Readable, Woken, TimedOut, Failed };
    // Waits until something can be received (or the far side closed), the
    // wake event (when given) is set, or timeoutMs ran out (-1: no limit).
    // With watchSocket false only the wake event and the time count.
    virtual Wait wait(WakeEvent *wake, bool watchSocket, int timeoutMs) = 0;
    // Bytes sent but not yet acknowledged by the far side; -1 when unknown.
    virtual int unacknowledged() = 0;
};

// Resolves host and connects to the first of its addresses that answers,
// within timeoutMs for each. Null on failure, with the error set: a name that
// does not resolve, a refused connection, no answer in time. The connection
// has keep-alive probes and a bound on unacknowledged data, so a far side that
// vanished without closing ends it within seconds rather than never.
std::unique_ptr<Socket> connectSocket(const QString &host, quint16 port, int timeoutMs);

} // namespace CommPlatform
