// The serial port on the Win32 communications API.
//
// The interface speaks this API's vocabulary already (device control block,
// purge flags, escape codes, event bits, error flags), so most calls map one
// to one. Decisions that differ from a literal mapping:
// - Names: "COM5" opens "\\.\COM5", the form that also reaches COM10 and
//   above; a trailing colon ("COM5:") is dropped; a name holding a slash or a
//   backslash is a device path and taken as given.
// - Opening is exclusive (no sharing) and overlapped. Windows answers a port
//   that another program holds with "access denied"; the text says so.
// - Every kind of operation has its own OVERLAPPED record and event (write,
//   read, event wait), guarded by its own mutex, because the owner and the
//   event thread may be in different operations at the same time. Transfers
//   go through buffers of the record, so that a driver slow to give back a
//   cancelled operation never touches the caller's memory afterwards.
// - Writes are waited for up to their time-out; a write still under way then
//   is cancelled, and the cancellation is waited for, so what counts as taken
//   is what the driver took before the cancel, and nothing is left pending
//   behind the caller's back.
// - Reads return at once: the time-outs say so, and a read asks only for
//   what the input queue holds, because some drivers (Wine's) keep a read
//   with nothing to read pending regardless of the time-outs. A read that is
//   still pending a moment later is cancelled with what it got.
// - The queue counts come from ClearCommError, which also clears the line
//   error flags. Flags found when only a count was wanted are kept for the
//   next clearError(), so the error notification does not lose them.
// - A failing event wait (an adapter pulled out) makes the event wait stop
//   watching the device; from then on it sleeps on its wake event alone, so a
//   dead port costs no CPU. An empty event mask waits for the wake event
//   alone too.
// - Received-character and output-empty events are edge-like, as on POSIX:
//   an event for input that was reported already, or an empty output queue
//   without a write since the last one, is not passed on.
// - A driver that cannot wait for events is watched by sampling instead,
//   every 50 ms, as the POSIX backend watches what the kernel cannot wake it
//   for: received bytes beyond those reported, an emptied output queue after
//   a write, line errors and breaks, and modem lines where the driver reports
//   them. Such a driver refuses WaitCommEvent as not supported, or its waits
//   keep ending at once with nothing new (Wine on pseudo-terminals ends a
//   wait with an empty input queue as aborted, and reports received
//   characters again while input sits unread), which would spin.
// - Ports without modem lines (virtual ports; Wine's COM ports on
//   pseudo-terminals) refuse DTR, RTS and break requests, and the modem
//   status, with ERROR_NOT_SUPPORTED or ERROR_INVALID_FUNCTION. Such a
//   refusal counts as done, as on POSIX pseudo-terminals, so a sign
//   simulator behind such a port works; real drivers drive their lines or
//   fail otherwise. Purging output leaves such a port alone: what it wrote
//   already sits with the other side, and flushing it would throw away data
//   the other side has as good as received.
// - Queue sizes are a recommendation: a driver that has no adjustable queues
//   (refusing SetupComm with the same codes) keeps its own.
// - The line state is copied into the device control block field by field;
//   the fields it has no place for keep what GetCommState gave.

#include "serial/CommPlatform.h"

#include "WinApi.h"
#include "WinErrors.h"
#include "WinWakeEvent.h"

#include <QByteArray>

#include <atomic>
#include <climits>
#include <initializer_list>
#include <cstring>
#include <memory>
#include <mutex>

using namespace Qt::StringLiterals;

namespace CommPlatform {

static_assert(PurgeFlag::TxAbort == PURGE_TXABORT && PurgeFlag::RxAbort == PURGE_RXABORT
              && PurgeFlag::TxClear == PURGE_TXCLEAR && PurgeFlag::RxClear == PURGE_RXCLEAR);
static_assert(EscapeCode::SetXoff == SETXOFF && EscapeCode::SetXon == SETXON && EscapeCode::SetRts == SETRTS
              && EscapeCode::ClrRts == CLRRTS && EscapeCode::SetDtr == SETDTR && EscapeCode::ClrDtr == CLRDTR
              && EscapeCode::SetBreak == SETBREAK && EscapeCode::ClrBreak == CLRBREAK);
static_assert(EventBit::RxChar == EV_RXCHAR && EventBit::RxFlag == EV_RXFLAG && EventBit::TxEmpty == EV_TXEMPTY
              && EventBit::Cts == EV_CTS && EventBit::Dsr == EV_DSR && EventBit::Rlsd == EV_RLSD
              && EventBit::Break == EV_BREAK && EventBit::Err == EV_ERR && EventBit::Ring == EV_RING);
static_assert(LineError::RxOver == CE_RXOVER && LineError::Overrun == CE_OVERRUN
              && LineError::RxParity == CE_RXPARITY && LineError::Frame == CE_FRAME && LineError::Break == CE_BREAK);

namespace {

constexpr quint32 AllEvents = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR
                            | EV_RING;
constexpr quint32 AllLineErrors = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;
// How long a cancelled operation may take to come back from the driver.
constexpr DWORD CancelWaitMs = 2000;
// How long a failed event wait rests on the wake event.
constexpr DWORD RestMs = 100;
// How long a read (of what is already there) may take before it is cancelled.
constexpr DWORD ReadWaitMs = 100;
// How often a device the driver cannot watch is sampled.
constexpr DWORD SampleMs = 50;
// Event waits that end within this time with nothing new, this many times
// in a row, show a driver that cannot wait.
constexpr ULONGLONG QuickWaitMs = 20;
constexpr int QuickWaitLimit = 3;

bool refusedAsUnsupported(DWORD error)
{
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

// One kind of overlapped operation: its record, its event, the memory the
// driver reads or writes, and whether the driver still holds them.
struct Io {
    Io() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Io()
    {
        if (overlapped.hEvent)
            CloseHandle(overlapped.hEvent);
    }
    Io(const Io &) = delete;
    Io &operator=(const Io &) = delete;

    // Readies the record for the next operation; false while the driver has
    // not given back a cancelled one yet.
    bool prepare()
    {
        if (stuck) {
            if (!HasOverlappedIoCompleted(&overlapped))
                return failWith(ERROR_BUSY);
            stuck = false;
        }
        const HANDLE event = overlapped.hEvent;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        eventMask = 0;
        ResetEvent(event);
        return true;
    }

    std::mutex mutex;
    OVERLAPPED overlapped {};
    // Transfers go through memory of our own, not the caller's: a driver that
    // does not give back a cancelled operation may still touch it later.
    QByteArray data;
    DWORD eventMask = 0;
    bool stuck = false;
};

class WinDevice final : public Device {
public:
    explicit WinDevice(HANDLE handle)
        : m_handle(handle)
    {
        DWORD lines = 0;
        if (!GetCommModemStatus(m_handle, &lines) && refusedAsUnsupported(GetLastError()))
            m_noModemLines.store(true, std::memory_order_relaxed);
    }

    ~WinDevice() override
    {
        CancelIoEx(m_handle, nullptr);
        for (Io *io : {m_writeIo.get(), m_readIo.get(), m_waitIo.get()}) {
            DWORD done = 0;
            if (io->stuck && !GetOverlappedResult(m_handle, &io->overlapped, &done, FALSE)
                && GetLastError() == ERROR_IO_INCOMPLETE)
                WaitForSingleObject(io->overlapped.hEvent, CancelWaitMs);
        }
        CloseHandle(m_handle);
        // A record the driver never gave back must outlive us: it may still
        // be written to.
        for (std::unique_ptr<Io> *io : {&m_writeIo, &m_readIo, &m_waitIo}) {
            if ((*io)->stuck && !HasOverlappedIoCompleted(&(*io)->overlapped))
                (void)io->release();
        }
    }

    qintptr nativeHandle() const override { return qintptr(m_handle); }

    bool isCharacterDevice() override
    {
        SetLastError(NO_ERROR);
        const DWORD type = GetFileType(m_handle);
        if (type == FILE_TYPE_CHAR)
            return true;
        if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
            return failLastError();
        return failWith(ERROR_BAD_DEVICE);
    }

    bool setEventMask(quint32 mask) override
    {
        if (!SetCommMask(m_handle, mask & AllEvents))
            return failLastError();
        m_mask.store(mask & AllEvents, std::memory_order_relaxed);
        return true;
    }

    bool waitEvent(WakeEvent &wake, quint32 *events) override;

    bool setReadReturnsAtOnce() override
    {
        COMMTIMEOUTS timeouts {};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 0;
        // Writes are timed here, per call.
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
        if (!SetCommTimeouts(m_handle, &timeouts))
            return failLastError();
        return true;
    }

    bool getState(LineState *state) override;
    bool setState(const LineState &state) override;

    bool setupQueues(int inputSize, int outputSize) override
    {
        if (inputSize < 0 || outputSize < 0)
            return failWith(ERROR_INVALID_PARAMETER);
        if (SetupComm(m_handle, DWORD(inputSize), DWORD(outputSize)))
            return true;
        const DWORD error = GetLastError();
        if (refusedAsUnsupported(error))
            return true;
        return failWith(int(error));
    }

    int write(const char *buffer, int count, int timeoutMs) override;
    int read(char *buffer, int count, int timeoutMs) override;
    bool clearError(quint32 *errors, int *inQueue) override;

    int outQueue() override
    {
        COMSTAT status {};
        if (!inspect(&status))
            return -1;
        return clampedCount(status.cbOutQue);
    }

    bool waitUntilSent() override
    {
        if (!FlushFileBuffers(m_handle))
            return failLastError();
        return true;
    }

    bool purge(quint32 flags) override
    {
        constexpr quint32 output = PURGE_TXABORT | PURGE_TXCLEAR;
        if (m_noModemLines.load(std::memory_order_relaxed))
            flags &= ~output;
        flags &= PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
        if (flags == 0)
            return true;
        if (!PurgeComm(m_handle, flags))
            return failLastError();
        if (flags & (PURGE_RXABORT | PURGE_RXCLEAR))
            m_rxReported.store(0, std::memory_order_relaxed);
        return true;
    }

    bool escape(int code) override
    {
        if (EscapeCommFunction(m_handle, DWORD(code)))
            return true;
        const DWORD error = GetLastError();
        const bool lineRequest = code == SETDTR || code == CLRDTR || code == SETRTS || code == CLRRTS
                              || code == SETBREAK || code == CLRBREAK;
        if (lineRequest && refusedAsUnsupported(error)) {
            m_noModemLines.store(true, std::memory_order_relaxed);
            return true;  // no modem lines to drive
        }
        return failWith(int(error));
    }

private:
    enum class DriverWait { Happened, Again, Woken, Aborted, Unsupported, Gone, WaitFailed };

    static int clampedCount(DWORD count) { return int(qMin<DWORD>(count, DWORD(INT_MAX))); }

    // The queue counts; line errors found on the way are kept for clearError.
    bool inspect(COMSTAT *status)
    {
        DWORD errors = 0;
        if (!ClearCommError(m_handle, &errors, status))
            return failLastError();
        if (errors & AllLineErrors)
            m_keptErrors.fetch_or(errors & AllLineErrors, std::memory_order_acq_rel);
        return true;
    }

    // Waits for an overlapped operation: true with *done when it ended within
    // timeoutMs, false with the error set. An operation that did not end in
    // time is cancelled and the cancel waited for; *done is what it
    // transferred before.
    bool finish(Io &io, DWORD timeoutMs, DWORD *done);
    // One WaitCommEvent, ended by the driver or by the wake event.
    DriverWait waitForDriver(HANDLE wakeEvent, quint32 mask, quint32 *events);
    // The sampling watch of a device whose driver cannot wait for events.
    bool sampleEvents(HANDLE wakeEvent, quint32 mask, quint32 *events);

    const HANDLE m_handle;
    std::unique_ptr<Io> m_writeIo = std::make_unique<Io>();
    std::unique_ptr<Io> m_readIo = std::make_unique<Io>();
    std::unique_ptr<Io> m_waitIo = std::make_unique<Io>();
    std::atomic<quint32> m_mask{0};
    // Line errors outQueue() took from the driver, for the next clearError().
    std::atomic<quint32> m_keptErrors{0};
    std::atomic<bool> m_noModemLines{false};
    // Set by a write that took bytes, for the sampled output-empty event.
    std::atomic<bool> m_txPending{false};
    // Writes started, counted before they start, for the driver's event.
    std::atomic<quint32> m_writesStarted{0};
    // Received bytes reported and not read yet.
    std::atomic<int> m_rxReported{0};

    // Event thread only.
    bool m_failed = false;
    bool m_sampling = false;
    int m_quickWaits = 0;
    quint32 m_writesAtTxEmpty = 0;
    bool m_modemSampled = false;
    bool m_modemSupported = true;
    DWORD m_modemLines = 0;
};

bool WinDevice::finish(Io &io, DWORD timeoutMs, DWORD *done)
{
    *done = 0;
    const DWORD waited = WaitForSingleObject(io.overlapped.hEvent, timeoutMs);
    if (waited == WAIT_OBJECT_0) {
        if (GetOverlappedResult(m_handle, &io.overlapped, done, FALSE))
            return true;
        const DWORD error = GetLastError();
        // A purge from the other thread ended it; what went before counts.
        if (error == ERROR_OPERATION_ABORTED)
            return true;
        return failWith(int(error));
    }
    const DWORD waitError = waited == WAIT_FAILED ? GetLastError() : DWORD(NO_ERROR);
    CancelIoEx(m_handle, &io.overlapped);
    if (WaitForSingleObject(io.overlapped.hEvent, CancelWaitMs) != WAIT_OBJECT_0) {
        io.stuck = true;
        return failWith(ERROR_IO_PENDING);
    }
    if (!GetOverlappedResult(m_handle, &io.overlapped, done, FALSE)) {
        const DWORD error = GetLastError();
        if (error != ERROR_OPERATION_ABORTED)
            return failWith(int(error));
        *done = DWORD(io.overlapped.InternalHigh);
    }
    if (waitError != NO_ERROR)
        return failWith(int(waitError));
    return true;
}

int WinDevice::write(const char *buffer, int count, int timeoutMs)
{
    if (count <= 0)
        return 0;
    Io &io = *m_writeIo;
    std::lock_guard guard(io.mutex);
    if (!io.prepare())
        return -1;
    io.data = QByteArray(buffer, count);
    m_writesStarted.fetch_add(1, std::memory_order_acq_rel);
    DWORD done = 0;
    if (!WriteFile(m_handle, io.data.constData(), DWORD(count), nullptr, &io.overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            failWith(int(error));
            return -1;
        }
    }
    if (!finish(io, DWORD(qMax(timeoutMs, 0)), &done))
        return -1;
    if (done > 0)
        m_txPending.store(true, std::memory_order_release);
    return int(done);
}

int WinDevice::read(char *buffer, int count, int)
{
    if (count <= 0)
        return 0;
    COMSTAT status {};
    if (!inspect(&status))
        return -1;
    const int wanted = qMin(count, clampedCount(status.cbInQue));
    if (wanted == 0)
        return 0;
    Io &io = *m_readIo;
    std::lock_guard guard(io.mutex);
    if (!io.prepare())
        return -1;
    if (io.data.size() < wanted)
        io.data.resize(wanted);
    if (!ReadFile(m_handle, io.data.data(), DWORD(wanted), nullptr, &io.overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            failWith(int(error));
            return -1;
        }
    }
    DWORD done = 0;
    if (!finish(io, ReadWaitMs, &done))
        return -1;
    done = qMin(done, DWORD(wanted));
    memcpy(buffer, io.data.constData(), done);
    int reported = m_rxReported.load(std::memory_order_relaxed);
    while (!m_rxReported.compare_exchange_weak(reported, qMax(0, reported - int(done)), std::memory_order_relaxed)) {
    }
    return int(done);
}

bool WinDevice::clearError(quint32 *errors, int *inQueue)
{
    DWORD found = 0;
    COMSTAT status {};
    if (!ClearCommError(m_handle, &found, &status)) {
        *errors = m_keptErrors.exchange(0, std::memory_order_acq_rel);
        *inQueue = 0;
        return failLastError();
    }
    *errors = (found & AllLineErrors) | m_keptErrors.exchange(0, std::memory_order_acq_rel);
    *inQueue = clampedCount(status.cbInQue);
    return true;
}

bool WinDevice::getState(LineState *state)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_handle, &dcb))
        return failLastError();
    state->baudRate = dcb.BaudRate;
    auto bit = [](unsigned int on, quint32 flag) { return on ? flag : 0u; };
    quint32 flags = 0;
    flags |= bit(dcb.fBinary, LineFlag::Binary);
    flags |= bit(dcb.fParity, LineFlag::ParityCheck);
    flags |= bit(dcb.fOutxCtsFlow, LineFlag::OutxCtsFlow);
    flags |= bit(dcb.fOutxDsrFlow, LineFlag::OutxDsrFlow);
    flags |= quint32(dcb.fDtrControl & 3) << 4;
    flags |= bit(dcb.fDsrSensitivity, LineFlag::DsrSensitivity);
    flags |= bit(dcb.fTXContinueOnXoff, LineFlag::TxContinueOnXoff);
    flags |= bit(dcb.fOutX, LineFlag::OutX);
    flags |= bit(dcb.fInX, LineFlag::InX);
    flags |= bit(dcb.fErrorChar, LineFlag::ErrorChar);
    flags |= bit(dcb.fNull, LineFlag::NullStrip);
    flags |= quint32(dcb.fRtsControl & 3) << 12;
    flags |= bit(dcb.fAbortOnError, LineFlag::AbortOnError);
    state->flags = flags;
    state->xonLimit = dcb.XonLim;
    state->xoffLimit = dcb.XoffLim;
    state->byteSize = dcb.ByteSize;
    state->parity = dcb.Parity;
    state->stopBits = dcb.StopBits;
    state->xonChar = dcb.XonChar;
    state->xoffChar = dcb.XoffChar;
    state->errorChar = dcb.ErrorChar;
    state->eofChar = dcb.EofChar;
    state->evtChar = dcb.EvtChar;
    return true;
}

bool WinDevice::setState(const LineState &state)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_handle, &dcb))
        return failLastError();
    const quint32 flags = state.flags;
    dcb.BaudRate = state.baudRate;
    dcb.fBinary = (flags & LineFlag::Binary) ? 1 : 0;
    dcb.fParity = (flags & LineFlag::ParityCheck) ? 1 : 0;
    dcb.fOutxCtsFlow = (flags & LineFlag::OutxCtsFlow) ? 1 : 0;
    dcb.fOutxDsrFlow = (flags & LineFlag::OutxDsrFlow) ? 1 : 0;
    dcb.fDtrControl = (flags & LineFlag::DtrControlMask) >> 4;
    dcb.fDsrSensitivity = (flags & LineFlag::DsrSensitivity) ? 1 : 0;
    dcb.fTXContinueOnXoff = (flags & LineFlag::TxContinueOnXoff) ? 1 : 0;
    dcb.fOutX = (flags & LineFlag::OutX) ? 1 : 0;
    dcb.fInX = (flags & LineFlag::InX) ? 1 : 0;
    dcb.fErrorChar = (flags & LineFlag::ErrorChar) ? 1 : 0;
    dcb.fNull = (flags & LineFlag::NullStrip) ? 1 : 0;
    dcb.fRtsControl = (flags & LineFlag::RtsControlMask) >> 12;
    dcb.fAbortOnError = (flags & LineFlag::AbortOnError) ? 1 : 0;
    dcb.XonLim = state.xonLimit;
    dcb.XoffLim = state.xoffLimit;
    dcb.ByteSize = state.byteSize;
    dcb.Parity = state.parity;
    dcb.StopBits = state.stopBits;
    dcb.XonChar = state.xonChar;
    dcb.XoffChar = state.xoffChar;
    dcb.ErrorChar = state.errorChar;
    dcb.EofChar = state.eofChar;
    dcb.EvtChar = state.evtChar;
    if (!SetCommState(m_handle, &dcb))
        return failLastError();
    return true;
}

// Rests on the wake event for a moment; false in any case.
bool rest(HANDLE wake)
{
    WaitForSingleObject(wake, RestMs);
    return false;
}

WinDevice::DriverWait WinDevice::waitForDriver(HANDLE wakeEvent, quint32 mask, quint32 *events)
{
    Io &io = *m_waitIo;
    std::lock_guard guard(io.mutex);
    if (!io.prepare())
        return DriverWait::WaitFailed;
    if (!WaitCommEvent(m_handle, &io.eventMask, &io.overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            failWith(int(error));
            if (error == ERROR_OPERATION_ABORTED)
                return DriverWait::Aborted;
            return refusedAsUnsupported(error) ? DriverWait::Unsupported : DriverWait::Gone;
        }
        const HANDLE handles[2] = {wakeEvent, io.overlapped.hEvent};
        const DWORD waited = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (waited != WAIT_OBJECT_0 + 1) {
            const DWORD waitError = waited == WAIT_FAILED ? GetLastError() : DWORD(NO_ERROR);
            // Woken (normally to stop), or the wait itself failed: the pending
            // event wait is called back before its record is used again.
            CancelIoEx(m_handle, &io.overlapped);
            if (WaitForSingleObject(io.overlapped.hEvent, CancelWaitMs) != WAIT_OBJECT_0) {
                // Setting the mask again ends a pending wait too.
                SetCommMask(m_handle, mask);
                if (WaitForSingleObject(io.overlapped.hEvent, CancelWaitMs) != WAIT_OBJECT_0)
                    io.stuck = true;
            }
            if (waitError != NO_ERROR) {
                failWith(int(waitError));
                return DriverWait::WaitFailed;
            }
            return DriverWait::Woken;
        }
        DWORD unused = 0;
        if (!GetOverlappedResult(m_handle, &io.overlapped, &unused, FALSE)) {
            const DWORD error = GetLastError();
            failWith(int(error));
            if (error == ERROR_OPERATION_ABORTED)
                return DriverWait::Aborted;
            return refusedAsUnsupported(error) ? DriverWait::Unsupported : DriverWait::Gone;
        }
    }
    // Zero when the mask was set anew during the wait.
    quint32 found = io.eventMask & mask;
    if (found & EV_RXCHAR) {
        COMSTAT status {};
        const int queued = inspect(&status) ? clampedCount(status.cbInQue) : 0;
        if (queued <= m_rxReported.exchange(queued, std::memory_order_relaxed))
            found &= ~quint32(EV_RXCHAR);
    }
    if (found & EV_TXEMPTY) {
        const quint32 writes = m_writesStarted.load(std::memory_order_acquire);
        if (writes == m_writesAtTxEmpty)
            found &= ~quint32(EV_TXEMPTY);
        m_writesAtTxEmpty = writes;
        m_txPending.store(false, std::memory_order_release);
    }
    if (!found)
        return DriverWait::Again;
    *events = found;
    return DriverWait::Happened;
}

bool WinDevice::waitEvent(WakeEvent &wake, quint32 *events)
{
    const HANDLE wakeEvent = static_cast<WinWakeEvent &>(wake).handle();
    for (;;) {
        const quint32 mask = m_mask.load(std::memory_order_relaxed);
        if (m_failed || mask == 0) {
            // Nothing to watch: only the wake event ends the wait.
            WaitForSingleObject(wakeEvent, INFINITE);
            return false;
        }
        if (m_sampling)
            return sampleEvents(wakeEvent, mask, events);
        const ULONGLONG started = GetTickCount64();
        const DriverWait result = waitForDriver(wakeEvent, mask, events);
        if ((result == DriverWait::Aborted || result == DriverWait::Again)
            && GetTickCount64() - started < QuickWaitMs) {
            if (++m_quickWaits >= QuickWaitLimit)
                m_sampling = true;
            continue;
        }
        m_quickWaits = 0;
        switch (result) {
        case DriverWait::Happened:
            return true;
        case DriverWait::Again:
            continue;
        case DriverWait::Woken:
            return false;
        case DriverWait::Unsupported:
            m_sampling = true;
            continue;
        case DriverWait::Gone:
            // The device is gone: never watched again.
            m_failed = true;
            return false;
        case DriverWait::Aborted:
        case DriverWait::WaitFailed:
            // Rest, so that a persisting cause cannot turn the caller's retry
            // loop into a busy one.
            return rest(wakeEvent);
        }
    }
}

bool WinDevice::sampleEvents(HANDLE wakeEvent, quint32 mask, quint32 *events)
{
    constexpr DWORD modemEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD;
    for (;;) {
        quint32 found = 0;
        DWORD errors = 0;
        COMSTAT status {};
        if (!ClearCommError(m_handle, &errors, &status)) {
            failLastError();
            m_failed = true;
            return false;
        }
        errors &= AllLineErrors;
        if (errors) {
            m_keptErrors.fetch_or(errors, std::memory_order_acq_rel);
            if (errors & CE_BREAK)
                found |= EV_BREAK;
            if (errors & ~DWORD(CE_BREAK))
                found |= EV_ERR;
        }
        // Received-character events are edge-like: reported when more has
        // arrived than was last reported, not while unread input merely sits.
        const int queued = clampedCount(status.cbInQue);
        if (queued > m_rxReported.exchange(queued, std::memory_order_relaxed))
            found |= EV_RXCHAR;
        if ((mask & EV_TXEMPTY) && status.cbOutQue == 0 && m_txPending.exchange(false, std::memory_order_acq_rel))
            found |= EV_TXEMPTY;
        if ((mask & modemEvents) && m_modemSupported) {
            DWORD lines = 0;
            if (!GetCommModemStatus(m_handle, &lines)) {
                m_modemSupported = false;
            } else {
                if (m_modemSampled) {
                    const DWORD changed = lines ^ m_modemLines;
                    if (changed & MS_CTS_ON)
                        found |= EV_CTS;
                    if (changed & MS_DSR_ON)
                        found |= EV_DSR;
                    if ((changed & MS_RING_ON) && (lines & MS_RING_ON))
                        found |= EV_RING;
                    if (changed & MS_RLSD_ON)
                        found |= EV_RLSD;
                }
                m_modemLines = lines;
                m_modemSampled = true;
            }
        }
        found &= mask;
        if (found) {
            *events = found;
            return true;
        }
        if (WaitForSingleObject(wakeEvent, SampleMs) != WAIT_TIMEOUT)
            return false;  // woken, normally to stop
    }
}

} // namespace

std::unique_ptr<WakeEvent> createWakeEvent()
{
    return std::make_unique<WinWakeEvent>();
}

std::unique_ptr<Device> openDevice(const QString &name)
{
    QString path = name;
    if (path.endsWith(u':'))
        path.chop(1);
    if (path.isEmpty()) {
        setLastError(faultCode(Fault::NotFound));
        return nullptr;
    }
    if (!path.contains(u'\\') && !path.contains(u'/'))
        path.prepend(u"\\\\.\\"_s);
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                                      0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            setLastError(int(error), systemErrorText(int(error), u"the port is in use by another program"_s));
        else
            setLastError(int(error));
        return nullptr;
    }
    return std::make_unique<WinDevice>(handle);
}

} // namespace CommPlatform
