// The serial port on POSIX terminals (termios), for Linux first.
//
// Decisions that differ from a literal mapping of the Win32 calls:
// - Opening is exclusive: flock() before any terminal setting changes, then
//   TIOCEXCL, so a second opener (this program or another) gets a clear
//   "port in use" error instead of sharing the line.
// - HUPCL is cleared: the last close must not drop DTR and RTS behind our
//   back; the sign's lines are set explicitly after every opening and keep
//   their state until the next one. CLOCAL is set, so a missing carrier never
//   blocks reads or writes.
// - Writes run on a non-blocking descriptor: a byte counts as taken when the
//   kernel accepted it into the output queue within the write time-out; while
//   the queue is full we poll for writability until the time-out runs out. A
//   byte that was not accepted in time is not sent at all (nothing is left
//   pending behind the caller's back).
// - Reads return at once. VMIN is 1 and VTIME 0 on the non-blocking
//   descriptor, so "nothing there" is EAGAIN and a 0-byte read can only mean
//   the device hung up (an adapter pulled out, the other end of a
//   pseudo-terminal closed), which is reported as EIO.
// - Disconnects (POLLHUP, POLLERR, POLLNVAL) make the event wait stop
//   watching the device; from then on it sleeps on its wake event alone, so a
//   dead port costs no CPU. The next write fails with the port error.
// - Pseudo-terminals have no modem lines: DTR, RTS and break requests that
//   such a device refuses (ENOTTY, EINVAL) count as done, so a sign simulator
//   behind socat and the tests work. On real devices they work or fail.
//   Purging output leaves a pseudo-terminal alone (see purge()).

#include "serial/CommPlatform.h"

#include "LinuxCustomBaudrate.h"
#include "PosixWakeEvent.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

using namespace Qt::StringLiterals;

namespace CommPlatform {

namespace {

bool fail(int code, const QString &text = {})
{
    setLastError(code, text);
    return false;
}

bool failErrno()
{
    return fail(errno);
}

struct SpeedEntry {
    quint32 baud;
    speed_t code;
};

constexpr SpeedEntry StandardSpeeds[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},
};

bool speedCode(quint32 baud, speed_t *code)
{
    for (const SpeedEntry &entry : StandardSpeeds) {
        if (entry.baud == baud) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

quint32 speedValue(speed_t code)
{
    for (const SpeedEntry &entry : StandardSpeeds) {
        if (entry.code == code)
            return entry.baud;
    }
    return 0;
}

int pollMs(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left <= 0 ? 0 : int(qMin<qint64>(left, 1 << 30));
}

QString accessDeniedText(const QByteArray &path)
{
    QString text = systemErrorText(EACCES);
    struct stat info {};
    QString group;
    if (::stat(path.constData(), &info) == 0) {
        struct group entry {};
        struct group *found = nullptr;
        char buffer[1024];
        if (getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
            group = QString::fromLocal8Bit(found->gr_name);
    }
    if (group.isEmpty())
        group = u"dialout"_s;
    return text + u" (to use %1, the user must be a member of the group \"%2\"; log in again after joining it)"_s
                      .arg(QFile::decodeName(path), group);
}

QString busyText()
{
    return systemErrorText(EBUSY) + u" (the port is in use by another program)"_s;
}

// How often the event wait samples what the kernel cannot wake us for (modem
// lines, line error counters, pending input nobody has read yet).
constexpr int SampleMs = 50;

class PosixDevice final : public Device {
public:
    PosixDevice(int fd, bool pseudoTerminal)
        : m_fd(fd)
        , m_pseudoTerminal(pseudoTerminal)
        , m_notify(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }

    ~PosixDevice() override
    {
        if (isatty(m_fd))
            ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        if (m_notify >= 0)
            ::close(m_notify);
    }

    qintptr nativeHandle() const override { return m_fd; }

    bool isCharacterDevice() override
    {
        struct stat info {};
        if (fstat(m_fd, &info) != 0)
            return failErrno();
        if (!S_ISCHR(info.st_mode) || !isatty(m_fd))
            return fail(ENOTTY);
        return true;
    }

    bool setEventMask(quint32 mask) override
    {
        m_mask = mask;
        m_watchTxEmpty.store((mask & EventBit::TxEmpty) != 0, std::memory_order_relaxed);
        return true;
    }

    bool waitEvent(WakeEvent &wake, quint32 *events) override;

    bool setReadReturnsAtOnce() override
    {
        termios tio {};
        if (tcgetattr(m_fd, &tio) != 0)
            return failErrno();
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
            return failErrno();
        return true;
    }

    bool getState(LineState *state) override;
    bool setState(const LineState &state) override;

    bool setupQueues(int inputSize, int outputSize) override
    {
        // Terminal drivers have queues of their own fixed size; the request is
        // only a recommendation, as it is elsewhere.
        if (inputSize < 0 || outputSize < 0)
            return fail(EINVAL);
        return true;
    }

    int write(const char *buffer, int count, int timeoutMs) override;
    int read(char *buffer, int count, int timeoutMs) override;
    bool clearError(quint32 *errors, int *inQueue) override;

    int outQueue() override
    {
        int queued = 0;
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0)
            return -1;
        return queued;
    }

    bool waitUntilSent() override
    {
        if (tcdrain(m_fd) != 0)
            return failErrno();
        return true;
    }

    bool purge(quint32 flags) override
    {
        // A pseudo-terminal has no output queue of its own: what it has
        // written already sits in the other side's input, and flushing our
        // output would throw away data the other side has as good as
        // received.
        const bool output = !m_pseudoTerminal && (flags & (PurgeFlag::TxAbort | PurgeFlag::TxClear));
        const bool input = flags & (PurgeFlag::RxAbort | PurgeFlag::RxClear);
        if (!output && !input)
            return true;
        if (tcflush(m_fd, output && input ? TCIOFLUSH : output ? TCOFLUSH : TCIFLUSH) != 0)
            return failErrno();
        return true;
    }

    bool escape(int code) override;

private:
    int inputQueue() const
    {
        int count = 0;
        if (ioctl(m_fd, FIONREAD, &count) != 0)
            return -1;
        return count;
    }

    // Samples modem lines and line error counters; returns the event bits
    // for what changed since the last sample.
    quint32 sampleLines();

    const int m_fd;
    const bool m_pseudoTerminal;
    const int m_notify;  // written by write() to start watching for an empty output queue
    std::atomic<quint32> m_baud{9600};
    std::atomic<bool> m_watchTxEmpty{false};
    std::atomic<bool> m_txPending{false};

    // Event thread only.
    quint32 m_mask = 0;
    bool m_hungUp = false;
    int m_rxReported = 0;
    bool m_modemSupported = true;
    bool m_modemSampled = false;
    int m_modemLines = 0;
#if defined(__linux__)
    bool m_countersSupported = true;
    bool m_countersSampled = false;
    serial_icounter_struct m_eventCounters {};
    // clearError's own baseline; it may run on either thread.
    std::mutex m_errorMutex;
    bool m_errorBaselineSet = false;
    serial_icounter_struct m_errorCounters {};
#endif

    // Settings termios has no place for, kept so a read-back returns them.
    LineState m_shadow;
};

bool PosixDevice::getState(LineState *state)
{
    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0)
        return failErrno();
    *state = m_shadow;
    quint32 baud = speedValue(cfgetospeed(&tio));
    if (baud == 0)
        baud = readCustomBaudrate(m_fd);
    state->baudRate = baud ? baud : m_shadow.baudRate;
    switch (tio.c_cflag & CSIZE) {
    case CS5: state->byteSize = 5; break;
    case CS6: state->byteSize = 6; break;
    case CS7: state->byteSize = 7; break;
    default: state->byteSize = 8; break;
    }
    if (!(tio.c_cflag & PARENB))
        state->parity = 0;
    else if (tio.c_cflag & CMSPAR)
        state->parity = (tio.c_cflag & PARODD) ? 3 : 4;
    else
        state->parity = (tio.c_cflag & PARODD) ? 1 : 2;
    state->stopBits = !(tio.c_cflag & CSTOPB) ? 0 : state->byteSize == 5 ? 1 : 2;
    quint32 flags = LineFlag::Binary;
    if (tio.c_iflag & INPCK)
        flags |= LineFlag::ParityCheck;
    if (tio.c_cflag & CRTSCTS)
        flags |= LineFlag::OutxCtsFlow | LineFlag::RtsControlHandshake;
    if (tio.c_iflag & IXON)
        flags |= LineFlag::OutX;
    if (tio.c_iflag & IXOFF)
        flags |= LineFlag::InX;
    flags |= m_shadow.flags & LineFlag::TxContinueOnXoff;
    state->flags = flags;
    state->xonChar = char(tio.c_cc[VSTART]);
    state->xoffChar = char(tio.c_cc[VSTOP]);
    return true;
}

bool PosixDevice::setState(const LineState &state)
{
    constexpr quint32 unsupported =
        LineFlag::OutxDsrFlow | LineFlag::DsrSensitivity | LineFlag::ErrorChar | LineFlag::NullStrip;
    if ((state.flags & unsupported) || (state.flags & LineFlag::DtrControlMask) == LineFlag::DtrControlHandshake)
        return fail(EINVAL, systemErrorText(EINVAL)
                                + u" (DSR/DTR handshake, DSR sensitivity, error-character replacement and null "
                                  "stripping are not available on this system)"_s);

    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0)
        return failErrno();

    // Raw mode: every byte passes unchanged in both directions.
    tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY
                             | INPCK | IGNPAR);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL | CMSPAR);
    tio.c_cflag |= CREAD | CLOCAL;

    switch (state.byteSize) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    case 8: tio.c_cflag |= CS8; break;
    default:
        return fail(EINVAL, systemErrorText(EINVAL) + u" (%1 data bits are not available)"_s.arg(state.byteSize));
    }
    switch (state.parity) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return fail(EINVAL);
    }
    switch (state.stopBits) {
    case 0: break;
    case 2: tio.c_cflag |= CSTOPB; break;
    case 1:
        // The hardware sends one and a half stop bits for 5-bit bytes only.
        if (state.byteSize != 5)
            return fail(EINVAL, systemErrorText(EINVAL) + u" (1.5 stop bits need 5 data bits)"_s);
        tio.c_cflag |= CSTOPB;
        break;
    default: return fail(EINVAL);
    }
    if (state.flags & LineFlag::ParityCheck)
        tio.c_iflag |= INPCK;
    if ((state.flags & LineFlag::OutxCtsFlow) || (state.flags & LineFlag::RtsControlHandshake))
        tio.c_cflag |= CRTSCTS;
    if (state.flags & LineFlag::OutX)
        tio.c_iflag |= IXON;
    if (state.flags & LineFlag::InX)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = cc_t(state.xonChar);
    tio.c_cc[VSTOP] = cc_t(state.xoffChar);

    speed_t code = B0;
    const bool standard = speedCode(state.baudRate, &code);
    if (standard) {
        cfsetispeed(&tio, code);
        cfsetospeed(&tio, code);
    }
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return failErrno();
    if (!standard && !setCustomBaudrate(m_fd, state.baudRate))
        return failErrno();
    m_shadow = state;
    m_baud.store(state.baudRate ? state.baudRate : 9600, std::memory_order_relaxed);
    return true;
}

int PosixDevice::write(const char *buffer, int count, int timeoutMs)
{
    using clock = std::chrono::steady_clock;
    int written = 0;
    bool deadlineSet = false;
    clock::time_point deadline;
    bool sawHangUp = false;
    while (written < count) {
        const ssize_t n = ::write(m_fd, buffer + written, size_t(count - written));
        if (n > 0) {
            written += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            { failErrno(); return -1; }
        // The output queue is full: wait until it takes more, up to the time-out.
        if (sawHangUp)
            { fail(EIO); return -1; }
        if (!deadlineSet) {
            deadline = clock::now() + std::chrono::milliseconds(qMax(timeoutMs, 0));
            deadlineSet = true;
        }
        const int waitMs = pollMs(deadline);
        if (waitMs == 0)
            break;
        pollfd entry{m_fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, waitMs);
        if (ready < 0 && errno != EINTR)
            { failErrno(); return -1; }
        if (ready > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)))
            sawHangUp = true;  // one more try tells the real error
    }
    if (written > 0 && m_watchTxEmpty.load(std::memory_order_relaxed)
        && !m_txPending.exchange(true, std::memory_order_acq_rel)) {
        const quint64 one = 1;
        [[maybe_unused]] const auto ignored = ::write(m_notify, &one, sizeof one);
    }
    return written;
}

int PosixDevice::read(char *buffer, int count, int)
{
    if (count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size_t(count));
        if (n > 0)
            return int(n);
        if (n == 0)
            { fail(EIO); return -1; }  // hung up
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        { failErrno(); return -1; }
    }
}

bool PosixDevice::clearError(quint32 *errors, int *inQueue)
{
    *errors = 0;
#if defined(__linux__)
    {
        std::lock_guard guard(m_errorMutex);
        serial_icounter_struct now {};
        if (ioctl(m_fd, TIOCGICOUNT, &now) == 0) {
            if (m_errorBaselineSet) {
                if (now.buf_overrun != m_errorCounters.buf_overrun)
                    *errors |= LineError::RxOver;
                if (now.overrun != m_errorCounters.overrun)
                    *errors |= LineError::Overrun;
                if (now.parity != m_errorCounters.parity)
                    *errors |= LineError::RxParity;
                if (now.frame != m_errorCounters.frame)
                    *errors |= LineError::Frame;
                if (now.brk != m_errorCounters.brk)
                    *errors |= LineError::Break;
            }
            m_errorCounters = now;
            m_errorBaselineSet = true;
        }
    }
#endif
    const int queued = inputQueue();
    if (queued < 0) {
        *inQueue = 0;
        return failErrno();
    }
    *inQueue = queued;
    return true;
}

bool PosixDevice::escape(int code)
{
    int result = 0;
    int line = 0;
    switch (code) {
    case EscapeCode::SetDtr: line = TIOCM_DTR; result = ioctl(m_fd, TIOCMBIS, &line); break;
    case EscapeCode::ClrDtr: line = TIOCM_DTR; result = ioctl(m_fd, TIOCMBIC, &line); break;
    case EscapeCode::SetRts: line = TIOCM_RTS; result = ioctl(m_fd, TIOCMBIS, &line); break;
    case EscapeCode::ClrRts: line = TIOCM_RTS; result = ioctl(m_fd, TIOCMBIC, &line); break;
    case EscapeCode::SetBreak: result = ioctl(m_fd, TIOCSBRK); break;
    case EscapeCode::ClrBreak: result = ioctl(m_fd, TIOCCBRK); break;
    case EscapeCode::SetXoff: result = tcflow(m_fd, TCOOFF); break;
    case EscapeCode::SetXon: result = tcflow(m_fd, TCOON); break;
    default: return fail(EINVAL);
    }
    if (result == 0)
        return true;
    if (m_pseudoTerminal && (errno == ENOTTY || errno == EINVAL))
        return true;  // no modem lines to drive
    return failErrno();
}

quint32 PosixDevice::sampleLines()
{
    quint32 found = 0;
    constexpr quint32 modemEvents = EventBit::Cts | EventBit::Dsr | EventBit::Ring | EventBit::Rlsd;
    if ((m_mask & modemEvents) && m_modemSupported) {
        int lines = 0;
        if (ioctl(m_fd, TIOCMGET, &lines) != 0) {
            m_modemSupported = false;
        } else {
            if (m_modemSampled) {
                const int changed = lines ^ m_modemLines;
                if (changed & TIOCM_CTS)
                    found |= EventBit::Cts;
                if (changed & TIOCM_DSR)
                    found |= EventBit::Dsr;
                if ((changed & TIOCM_RI) && (lines & TIOCM_RI))
                    found |= EventBit::Ring;
                if (changed & TIOCM_CD)
                    found |= EventBit::Rlsd;
            }
            m_modemLines = lines;
            m_modemSampled = true;
        }
    }
#if defined(__linux__)
    if ((m_mask & (EventBit::Break | EventBit::Err)) && m_countersSupported) {
        serial_icounter_struct now {};
        if (ioctl(m_fd, TIOCGICOUNT, &now) != 0) {
            m_countersSupported = false;
        } else {
            if (m_countersSampled) {
                if (now.brk != m_eventCounters.brk)
                    found |= EventBit::Break;
                if (now.frame != m_eventCounters.frame || now.overrun != m_eventCounters.overrun
                    || now.parity != m_eventCounters.parity || now.buf_overrun != m_eventCounters.buf_overrun)
                    found |= EventBit::Err;
            }
            m_eventCounters = now;
            m_countersSampled = true;
        }
    }
#endif
    return found & m_mask;
}

bool PosixDevice::waitEvent(WakeEvent &wake, quint32 *events)
{
    const int wakeFd = static_cast<PosixWakeEvent &>(wake).fd();
    for (;;) {
        quint32 found = 0;
        int timeout = -1;
        bool watchInput = false;
        auto within = [&timeout](qint64 ms) {
            const int bounded = int(qBound<qint64>(qint64(1), ms, qint64(SampleMs)));
            timeout = timeout < 0 ? bounded : qMin(timeout, bounded);
        };

        if (!m_hungUp) {
            if (m_mask & EventBit::RxChar) {
                // Received-character events are edge-like: reported when more
                // has arrived than was last reported, not while unread input
                // merely sits in the queue.
                const int queued = inputQueue();
                if (queued > m_rxReported) {
                    found |= EventBit::RxChar;
                } else if (queued == 0) {
                    watchInput = true;
                } else if (queued > 0) {
                    within(SampleMs);
                }
                m_rxReported = qMax(queued, 0);
            }
            if ((m_mask & EventBit::TxEmpty) && m_txPending.load(std::memory_order_acquire)) {
                const int queued = outQueue();
                if (queued <= 0) {
                    m_txPending.store(false, std::memory_order_release);
                    found |= EventBit::TxEmpty;
                } else {
                    const quint32 baud = m_baud.load(std::memory_order_relaxed);
                    within(qint64(queued) * 11 * 1000 / qMax<quint32>(baud, 1) + 1);
                }
            }
            found |= sampleLines();
            if ((m_mask & (EventBit::Cts | EventBit::Dsr | EventBit::Ring | EventBit::Rlsd)) && m_modemSupported)
                within(SampleMs);
#if defined(__linux__)
            if ((m_mask & (EventBit::Break | EventBit::Err)) && m_countersSupported)
                within(SampleMs);
#endif
        }
        if (found) {
            *events = found;
            return true;
        }

        pollfd entries[3] = {
            {wakeFd, POLLIN, 0},
            {m_notify, POLLIN, 0},
            {m_fd, short(watchInput ? POLLIN : 0), 0},
        };
        // A hung-up device is left out: poll would report it again at once.
        const nfds_t count = m_hungUp ? 2 : 3;
        const int ready = ::poll(entries, count, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            // Rest on the wake event for a while, so a persisting failure
            // cannot turn the caller's retry loop into a busy one.
            pollfd wakeOnly{wakeFd, POLLIN, 0};
            ::poll(&wakeOnly, 1, 100);
            return fail(error);
        }
        if (entries[0].revents)
            return false;  // woken, normally to stop
        if (entries[1].revents) {
            quint64 value = 0;
            [[maybe_unused]] const auto got = ::read(m_notify, &value, sizeof value);
        }
        if (!m_hungUp && (entries[2].revents & (POLLHUP | POLLERR | POLLNVAL)))
            m_hungUp = true;
    }
}

} // namespace

QString systemErrorText(int code)
{
    char buffer[256];
    buffer[0] = 0;
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char *text = strerror_r(code, buffer, sizeof buffer);
#else
    const char *text = strerror_r(code, buffer, sizeof buffer) == 0 ? buffer : "Unknown error";
#endif
    return QString::fromLocal8Bit(text);
}

int faultCode(Fault fault)
{
    switch (fault) {
    case Fault::BadHandle: return EBADF;
    case Fault::Invalid: return EINVAL;
    case Fault::TimedOut: return ETIMEDOUT;
    case Fault::ConnectionReset: return ECONNRESET;
    case Fault::NotSupported: return EPROTONOSUPPORT;
    case Fault::NotFound: return ENOENT;
    }
    return EINVAL;
}

std::unique_ptr<WakeEvent> createWakeEvent()
{
    return std::make_unique<PosixWakeEvent>();
}

std::unique_ptr<Device> openDevice(const QString &name)
{
    if (name.isEmpty()) {
        setLastError(ENOENT);
        return nullptr;
    }
    const QString path = name.contains(u'/') ? name : u"/dev/"_s + name;
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            setLastError(error, accessDeniedText(encoded));
        else if (error == EBUSY)
            setLastError(error, busyText());
        else
            setLastError(error);
        return nullptr;
    }
    // Exclusive before anything touches the line: another holder keeps its
    // settings and its data.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            setLastError(EBUSY, busyText());
        else
            setLastError(error);
        return nullptr;
    }
    if (isatty(fd) && ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        setLastError(error);
        return nullptr;
    }
    struct stat info {};
    bool pseudoTerminal = false;
    if (fstat(fd, &info) == 0 && S_ISCHR(info.st_mode)) {
        const unsigned int majorNumber = major(info.st_rdev);
        // Unix98 pseudo-terminal slaves (136-143) and the legacy ones (3).
        pseudoTerminal = (majorNumber >= 136 && majorNumber <= 143) || majorNumber == 3;
    }
    return std::make_unique<PosixDevice>(fd, pseudoTerminal);
}

} // namespace CommPlatform
