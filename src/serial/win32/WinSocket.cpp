// TCP connections for network ports on Winsock 2.
//
// Decisions:
// - Winsock is started once, on the first connection, and left running until
//   the process ends.
// - The socket is non-blocking; send() polls for room up to its time-out.
//   Before each send the connection is asked, without waiting, whether the
//   far side has closed it, so a converter that went away is reported at the
//   next byte instead of after a few more bytes vanished.
// - Connecting waits with select() on both the writable and the exception
//   set: WSAPoll does not report a refused connection on every Windows.
// - Nagle's algorithm stays on, as on POSIX: the network device writes runs
//   of bytes into a queue that holds a quarter of a second of line time, so
//   the stack may gather a run into one segment.
// - Keep-alive probes after 5 s of silence, every 2 s (SIO_KEEPALIVE_VALS);
//   3 of them where the system takes TCP_KEEPCNT (Windows 10 1703 and
//   later; before that its fixed 10). Data that stays unacknowledged ends the
//   connection after 10 s through TCP_MAXRT, the counterpart of Linux's
//   TCP_USER_TIMEOUT, which counts whole seconds.
// - A small send buffer, as on POSIX: a far side that stops reading fills it
//   soon, so writes time out as they do on a local port whose line is
//   blocked.
// - Waiting uses the socket's event (WSAEventSelect for arrivals and the far
//   side's close) beside the wake event in one WaitForMultipleObjects. A
//   socket that is readable already is reported without waiting, so what was
//   signalled before the wait started is not missed.
// - unacknowledged() is the stack's count of bytes in flight (SIO_TCP_INFO,
//   Windows 10 1703 and later): sent and not yet acknowledged. Unlike Linux's
//   output queue it leaves out bytes the stack holds back because the far
//   side's window is closed; the small send buffer bounds those. Where the
//   system has no such query the answer is -1 (unknown).
// - Closing shuts the sending side down first and reads away what is still
//   there, so the far side gets a clean end of stream after the last byte.

#include "serial/CommPlatform.h"

#include "WinApi.h"
#include "WinErrors.h"
#include "WinWakeEvent.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

using namespace Qt::StringLiterals;

namespace CommPlatform {

namespace {

constexpr DWORD KeepIdleMs = 5000;
constexpr DWORD KeepIntervalMs = 2000;
constexpr DWORD KeepCount = 3;
constexpr DWORD UnacknowledgedLimitSeconds = 10;
constexpr int SendBufferBytes = 4096;

// Option numbers of the TCP level, as the system documents them; older
// headers lack some.
constexpr int TcpMaxRetransmitTime = 5;  // TCP_MAXRT, seconds
constexpr int TcpKeepCount = 16;         // TCP_KEEPCNT

// The system's connection record, version 0, as SIO_TCP_INFO fills it
// (declared here because the headers offer it only for newer targets).
struct TcpInfoV0 {
    int state;
    ULONG mss;
    ULONG64 connectionTimeMs;
    BOOLEAN timestampsEnabled;
    ULONG rttUs;
    ULONG minRttUs;
    ULONG bytesInFlight;
    ULONG cwnd;
    ULONG sndWnd;
    ULONG rcvWnd;
    ULONG rcvBuf;
    ULONG64 bytesOut;
    ULONG64 bytesIn;
    ULONG bytesReordered;
    ULONG bytesRetrans;
    ULONG fastRetrans;
    ULONG dupAcksIn;
    ULONG timeoutEpisodes;
    UCHAR synRetrans;
};
constexpr DWORD TcpInfoControl = _WSAIORW(IOC_VENDOR, 39);  // SIO_TCP_INFO

int pollLeft(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left <= 0 ? 0 : int(qMin<qint64>(left, 1 << 30));
}

bool winsockStarted()
{
    static const int started = [] {
        WSADATA data {};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0) {
        setLastError(started);
        return false;
    }
    return true;
}

void setOption(SOCKET s, int level, int name, DWORD value)
{
    ::setsockopt(s, level, name, reinterpret_cast<const char *>(&value), sizeof value);
}

QString closedText()
{
    return systemErrorText(faultCode(Fault::ConnectionReset), u"the far side closed the connection"_s);
}

class WinSocket final : public Socket {
public:
    WinSocket(SOCKET s, WSAEVENT event)
        : m_socket(s)
        , m_event(event)
    {
    }
    ~WinSocket() override
    {
        ::shutdown(m_socket, SD_SEND);
        char buffer[512];
        while (::recv(m_socket, buffer, sizeof buffer, 0) > 0) {
        }
        ::closesocket(m_socket);
        WSACloseEvent(m_event);
    }

    qintptr nativeHandle() const override { return qintptr(m_socket); }

    int send(const char *data, int count, int timeoutMs) override
    {
        if (peerClosed())
            return -1;
        using clock = std::chrono::steady_clock;
        const auto deadline = clock::now() + std::chrono::milliseconds(qMax(timeoutMs, 0));
        int sent = 0;
        while (sent < count) {
            const int n = ::send(m_socket, data + sent, count - sent, 0);
            if (n > 0) {
                sent += n;
                continue;
            }
            const int error = WSAGetLastError();
            if (n == SOCKET_ERROR && error != WSAEWOULDBLOCK && error != WSAEINTR) {
                setLastError(error);
                return -1;
            }
            const int waitMs = pollLeft(deadline);
            if (waitMs == 0)
                break;
            WSAPOLLFD entry {};
            entry.fd = m_socket;
            entry.events = POLLWRNORM;
            const int ready = WSAPoll(&entry, 1, waitMs);
            if (ready == SOCKET_ERROR) {
                setLastError(WSAGetLastError());
                return -1;
            }
            if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(entry.revents & POLLWRNORM)) {
                if (!pendingError())
                    setLastError(faultCode(Fault::ConnectionReset));
                return -1;
            }
        }
        return sent;
    }

    int receive(char *buffer, int count) override
    {
        for (;;) {
            const int n = ::recv(m_socket, buffer, count, 0);
            if (n > 0)
                return n;
            if (n == 0) {
                setLastError(faultCode(Fault::ConnectionReset), closedText());
                return -1;
            }
            const int error = WSAGetLastError();
            if (error == WSAEINTR)
                continue;
            if (error == WSAEWOULDBLOCK)
                return 0;
            setLastError(error);
            return -1;
        }
    }

    Wait wait(WakeEvent *wake, bool watchSocket, int timeoutMs) override
    {
        const HANDLE wakeEvent = wake ? static_cast<WinWakeEvent *>(wake)->handle() : nullptr;
        HANDLE handles[2];
        DWORD count = 0;
        if (wakeEvent)
            handles[count++] = wakeEvent;
        if (watchSocket) {
            if (readableNow()) {
                if (wakeEvent && WaitForSingleObject(wakeEvent, 0) == WAIT_OBJECT_0)
                    return Wait::Woken;
                takeNetworkEvents();
                return Wait::Readable;
            }
            handles[count++] = m_event;
        }
        const DWORD timeout = timeoutMs < 0 ? INFINITE : DWORD(timeoutMs);
        if (count == 0) {
            Sleep(timeout);
            return Wait::TimedOut;
        }
        const DWORD waited = WaitForMultipleObjects(count, handles, FALSE, timeout);
        if (waited == WAIT_TIMEOUT)
            return Wait::TimedOut;
        if (waited == WAIT_FAILED || waited >= WAIT_OBJECT_0 + count) {
            setLastError(int(waited == WAIT_FAILED ? GetLastError() : DWORD(ERROR_INVALID_HANDLE)));
            return Wait::Failed;
        }
        if (handles[waited - WAIT_OBJECT_0] == wakeEvent)
            return Wait::Woken;
        takeNetworkEvents();
        return Wait::Readable;
    }

    int unacknowledged() override
    {
        if (!m_tcpInfo.load(std::memory_order_relaxed))
            return -1;
        DWORD version = 0;
        TcpInfoV0 info {};
        DWORD size = 0;
        if (WSAIoctl(m_socket, TcpInfoControl, &version, sizeof version, &info, sizeof info, &size, nullptr,
                     nullptr)
                != 0
            || size < offsetof(TcpInfoV0, cwnd)) {
            m_tcpInfo.store(false, std::memory_order_relaxed);
            return -1;
        }
        return int(qMin<ULONG>(info.bytesInFlight, ULONG(1) << 30));
    }

private:
    // Takes the recorded network events, which resets the socket's event, so
    // that the next wait sleeps until something new arrives; a receive that
    // leaves data behind records a new arrival at once.
    void takeNetworkEvents()
    {
        WSANETWORKEVENTS happened {};
        WSAEnumNetworkEvents(m_socket, m_event, &happened);
    }

    bool readableNow()
    {
        WSAPOLLFD entry {};
        entry.fd = m_socket;
        entry.events = POLLRDNORM;
        return WSAPoll(&entry, 1, 0) > 0 && entry.revents != 0;
    }

    bool pendingError()
    {
        int error = 0;
        int size = sizeof error;
        if (getsockopt(m_socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size) == 0 && error != 0) {
            setLastError(error);
            return true;
        }
        return false;
    }

    bool peerClosed()
    {
        WSAPOLLFD entry {};
        entry.fd = m_socket;
        entry.events = POLLRDNORM;
        if (WSAPoll(&entry, 1, 0) <= 0)
            return false;
        if (entry.revents & (POLLERR | POLLNVAL)) {
            if (!pendingError())
                setLastError(faultCode(Fault::ConnectionReset));
            return true;
        }
        if (entry.revents & POLLHUP) {
            setLastError(faultCode(Fault::ConnectionReset), closedText());
            return true;
        }
        return false;
    }

    const SOCKET m_socket;
    const WSAEVENT m_event;
    std::atomic<bool> m_tcpInfo{true};
};

// Keep-alive and the bound on unacknowledged data, once connected.
void configureConnected(SOCKET s)
{
    tcp_keepalive keepAlive {};
    keepAlive.onoff = 1;
    keepAlive.keepalivetime = KeepIdleMs;
    keepAlive.keepaliveinterval = KeepIntervalMs;
    DWORD size = 0;
    WSAIoctl(s, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &size, nullptr, nullptr);
    setOption(s, IPPROTO_TCP, TcpKeepCount, KeepCount);
    setOption(s, IPPROTO_TCP, TcpMaxRetransmitTime, UnacknowledgedLimitSeconds);
}

// Connects one address within timeoutMs; the socket, or INVALID_SOCKET with
// the error set.
SOCKET connectOne(const ADDRINFOW &address, int timeoutMs)
{
    const SOCKET s = WSASocketW(address.ai_family, address.ai_socktype, address.ai_protocol, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        setLastError(WSAGetLastError());
        return INVALID_SOCKET;
    }
    auto failed = [s](int error) {
        setLastError(error);
        ::closesocket(s);
        return INVALID_SOCKET;
    };
    setOption(s, SOL_SOCKET, SO_SNDBUF, SendBufferBytes);
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return failed(WSAGetLastError());
    if (::connect(s, address.ai_addr, int(address.ai_addrlen)) == 0) {
        configureConnected(s);
        return s;
    }
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS)
        return failed(error);
    fd_set writable;
    fd_set failing;
    FD_ZERO(&writable);
    FD_ZERO(&failing);
    FD_SET(s, &writable);
    FD_SET(s, &failing);
    timeval limit {};
    limit.tv_sec = qMax(timeoutMs, 0) / 1000;
    limit.tv_usec = (qMax(timeoutMs, 0) % 1000) * 1000;
    const int ready = ::select(0, nullptr, &writable, &failing, timeoutMs < 0 ? nullptr : &limit);
    if (ready == 0)
        return failed(WSAETIMEDOUT);
    if (ready == SOCKET_ERROR)
        return failed(WSAGetLastError());
    int pending = 0;
    int size = sizeof pending;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&pending), &size) != 0)
        return failed(WSAGetLastError());
    if (pending != 0 || FD_ISSET(s, &failing))
        return failed(pending ? pending : WSAECONNREFUSED);
    configureConnected(s);
    return s;
}

QString withoutFullStop(QString text)
{
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

std::unique_ptr<Socket> connectSocket(const QString &host, quint16 port, int timeoutMs)
{
    if (!winsockStarted())
        return nullptr;
    ADDRINFOW hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    ADDRINFOW *found = nullptr;
    const std::wstring name = host.toStdWString();
    const std::wstring service = QString::number(port).toStdWString();
    const int resolved = GetAddrInfoW(name.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
        setLastError(resolved, u"host \"%1\" not found (%2)"_s.arg(host, withoutFullStop(systemErrorText(resolved))));
        return nullptr;
    }
    SOCKET s = INVALID_SOCKET;
    for (const ADDRINFOW *address = found; address && s == INVALID_SOCKET; address = address->ai_next)
        s = connectOne(*address, timeoutMs);
    FreeAddrInfoW(found);
    if (s == INVALID_SOCKET) {
        const Error error = lastError();
        setLastError(error.code, u"%1 (%2 port %3)"_s.arg(withoutFullStop(error.text)).arg(host).arg(port));
        return nullptr;
    }
    const WSAEVENT event = WSACreateEvent();
    if (event == WSA_INVALID_EVENT || WSAEventSelect(s, event, FD_READ | FD_CLOSE) != 0) {
        setLastError(WSAGetLastError());
        if (event != WSA_INVALID_EVENT)
            WSACloseEvent(event);
        ::closesocket(s);
        return nullptr;
    }
    return std::make_unique<WinSocket>(s, event);
}

} // namespace CommPlatform
