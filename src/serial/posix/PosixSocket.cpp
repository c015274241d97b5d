// TCP connections for network ports on POSIX sockets.
//
// Decisions:
// - The descriptor is non-blocking; send() polls for room up to its time-out
//   and uses MSG_NOSIGNAL, so a connection the far side dropped is an error
//   (EPIPE, ECONNRESET) and never a SIGPIPE.
// - Before each send the connection is asked, without waiting, whether the
//   far side has closed it (POLLRDHUP): a converter or ser2net that went away
//   is reported at the next byte instead of after a few more bytes vanished
//   into a connection that is already gone.
// - Nagle's algorithm stays on: the network device writes runs of bytes
//   into a queue that holds a quarter of a second of line time, so the
//   stack may gather a run into one segment (a segment per byte costs more
//   CPU time than the byte's line time allows) and the far line still never
//   runs dry. What the sign receives is the same byte stream either way.
// - Keep-alive probes after 5 s of silence, every 2 s, 3 of them, and
//   TCP_USER_TIMEOUT of 10 s for data that stays unacknowledged: a far side
//   that vanished without closing (power cut, cable pulled) ends the
//   connection with ETIMEDOUT instead of leaving it half open for ever.
// - A small send buffer: the network device paces its writes at line speed
//   itself, and a far side that stops reading fills this buffer soon, so
//   writes time out (and their bytes count as lost) as they do on a local
//   port whose line is blocked.
// - Closing shuts the sending side down first and reads away what is still
//   there, so the far side gets a clean end of stream after the last byte
//   rather than a reset that may throw away what it has not passed on yet.

#include "serial/CommPlatform.h"

#include "PosixWakeEvent.h"

#include <QByteArray>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/sockios.h>
#endif

using namespace Qt::StringLiterals;

namespace CommPlatform {

namespace {

constexpr int KeepIdleSeconds = 5;
constexpr int KeepIntervalSeconds = 2;
constexpr int KeepCount = 3;
constexpr unsigned int UnacknowledgedLimitMs = 10000;
constexpr int SendBufferBytes = 4096;

int pollLeft(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left <= 0 ? 0 : int(qMin<qint64>(left, 1 << 30));
}

void setOption(int fd, int level, int name, int value)
{
    ::setsockopt(fd, level, name, &value, sizeof value);
}

class PosixSocket final : public Socket {
public:
    explicit PosixSocket(int fd)
        : m_fd(fd)
    {
    }
    ~PosixSocket() override
    {
        ::shutdown(m_fd, SHUT_WR);
        char buffer[512];
        while (::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        ::close(m_fd);
    }

    qintptr nativeHandle() const override { return m_fd; }

    int send(const char *data, int count, int timeoutMs) override
    {
        if (peerClosed())
            return -1;
        using clock = std::chrono::steady_clock;
        const auto deadline = clock::now() + std::chrono::milliseconds(qMax(timeoutMs, 0));
        int sent = 0;
        while (sent < count) {
            const ssize_t n = ::send(m_fd, data + sent, size_t(count - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += int(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                setLastError(errno);
                return -1;
            }
            const int waitMs = pollLeft(deadline);
            if (waitMs == 0)
                break;
            pollfd entry{m_fd, POLLOUT, 0};
            const int ready = ::poll(&entry, 1, waitMs);
            if (ready < 0 && errno != EINTR) {
                setLastError(errno);
                return -1;
            }
            if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(entry.revents & POLLOUT)) {
                if (!pendingError())
                    setLastError(ECONNRESET);
                return -1;
            }
        }
        return sent;
    }

    int receive(char *buffer, int count) override
    {
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, size_t(count), MSG_DONTWAIT);
            if (n > 0)
                return int(n);
            if (n == 0) {
                setLastError(ECONNRESET, systemErrorText(ECONNRESET) + u" (the far side closed the connection)"_s);
                return -1;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            setLastError(errno);
            return -1;
        }
    }

    Wait wait(WakeEvent *wake, bool watchSocket, int timeoutMs) override
    {
        pollfd entries[2] = {
            {wake ? static_cast<PosixWakeEvent *>(wake)->fd() : -1, POLLIN, 0},
            {watchSocket ? m_fd : -1, POLLIN | POLLRDHUP, 0},
        };
        for (;;) {
            const int ready = ::poll(entries, 2, timeoutMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0) {
                setLastError(errno);
                return Wait::Failed;
            }
            if (ready == 0)
                return Wait::TimedOut;
            if (entries[0].revents)
                return Wait::Woken;
            return Wait::Readable;
        }
    }

    int unacknowledged() override
    {
#if defined(__linux__)
        int queued = 0;
        if (ioctl(m_fd, SIOCOUTQ, &queued) == 0)
            return queued;
#endif
        return -1;
    }

private:
    bool pendingError()
    {
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error != 0) {
            setLastError(error);
            return true;
        }
        return false;
    }

    bool peerClosed()
    {
        pollfd entry{m_fd, POLLRDHUP, 0};
        if (::poll(&entry, 1, 0) <= 0)
            return false;
        if (entry.revents & (POLLERR | POLLNVAL)) {
            if (!pendingError())
                setLastError(ECONNRESET);
            return true;
        }
        if (entry.revents & (POLLRDHUP | POLLHUP)) {
            setLastError(ECONNRESET, systemErrorText(ECONNRESET) + u" (the far side closed the connection)"_s);
            return true;
        }
        return false;
    }

    const int m_fd;
};

// Connects one address within timeoutMs; the descriptor, or -1 with the error set.
int connectOne(const addrinfo &address, int timeoutMs)
{
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        setLastError(errno);
        return -1;
    }
    setOption(fd, SOL_SOCKET, SO_SNDBUF, SendBufferBytes);
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
#if defined(__linux__)
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, KeepIdleSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, KeepIntervalSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, KeepCount);
    setOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, int(UnacknowledgedLimitMs));
#endif
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return fd;
    if (errno != EINPROGRESS) {
        setLastError(errno);
        ::close(fd);
        return -1;
    }
    pollfd entry{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        setLastError(ETIMEDOUT);
        ::close(fd);
        return -1;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
        setLastError(ready < 0 ? errno : error ? error : EIO);
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::unique_ptr<Socket> connectSocket(const QString &host, quint16 port, int timeoutMs)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const QByteArray name = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    const int resolved = getaddrinfo(name.constData(), service.constData(), &hints, &found);
    if (resolved != 0) {
        const int code = resolved == EAI_SYSTEM ? errno : ENXIO;
        setLastError(code, u"host \"%1\" not found (%2)"_s.arg(host, QString::fromLocal8Bit(gai_strerror(resolved))));
        return nullptr;
    }
    int fd = -1;
    for (const addrinfo *address = found; address && fd < 0; address = address->ai_next)
        fd = connectOne(*address, timeoutMs);
    freeaddrinfo(found);
    if (fd < 0) {
        const Error error = lastError();
        setLastError(error.code, u"%1 (%2 port %3)"_s.arg(error.text).arg(host).arg(port));
        return nullptr;
    }
    return std::make_unique<PosixSocket>(fd);
}

} // namespace CommPlatform
