#pragma once

// ser2net in front of socat pseudo-terminal pairs, for the tests of network
// ports: each line is a pair "line" (the device ser2net serves) and "sign"
// (the end the test reads, playing the sign). ser2net listens on free ports
// of 127.0.0.1 with a raw and an RFC 2217 accepter for each line, configured
// in a temporary directory of its own. Only loopback addresses are used.
//
// available() is false (with skipReason()) when ser2net or socat is not
// installed; the tests then skip.

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

// A free TCP port on 127.0.0.1 (bound, read back, released).
inline quint16 freeLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Reads a device path on a thread of its own; can be told to stop reading.
class PathReader {
public:
    explicit PathReader(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_fd >= 0) {
            termios tio {};
            if (tcgetattr(m_fd, &tio) == 0) {
                cfmakeraw(&tio);
                tcsetattr(m_fd, TCSANOW, &tio);
            }
        }
        m_thread = std::thread([this] { run(); });
    }
    ~PathReader()
    {
        m_stop = true;
        m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isValid() const { return m_fd >= 0; }
    void setReading(bool reading) { m_reading = reading; }

    QByteArray waitFor(qint64 count, std::chrono::milliseconds limit = std::chrono::seconds(30))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard guard(m_mutex);
                if (m_received.size() >= count)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return received();
    }
    QByteArray received()
    {
        std::lock_guard guard(m_mutex);
        return m_received;
    }
    qint64 count()
    {
        std::lock_guard guard(m_mutex);
        return m_received.size();
    }

private:
    void run()
    {
        char buffer[4096];
        while (!m_stop && m_fd >= 0) {
            if (!m_reading) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard guard(m_mutex);
                m_received.append(buffer, n);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }

    int m_fd;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{true};
    std::mutex m_mutex;
    QByteArray m_received;
    std::thread m_thread;
};

class Ser2net {
public:
    explicit Ser2net(int lines = 1)
    {
        const QString ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (ser2net.isEmpty() || socat.isEmpty()) {
            m_skipReason = QStringLiteral("ser2net and socat are not installed (tools/install-deps.sh installs them)");
            return;
        }
        QString config;
        for (int i = 0; i < lines; ++i) {
            Line line;
            line.device = m_dir.filePath(QStringLiteral("line%1").arg(i));
            line.sign = m_dir.filePath(QStringLiteral("sign%1").arg(i));
            line.socat = std::make_unique<QProcess>();
            line.socat->start(socat, {QStringLiteral("pty,rawer,link=") + line.device,
                                      QStringLiteral("pty,rawer,link=") + line.sign});
            line.rawPort = freeLocalPort();
            line.rfc2217Port = freeLocalPort();
            config += QStringLiteral("connection: &raw%1\n    accepter: tcp,127.0.0.1,%2\n"
                                     "    connector: serialdev,%3,9600n81,local\n")
                          .arg(i).arg(line.rawPort).arg(line.device);
            config += QStringLiteral("connection: &rfc%1\n    accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                     "    connector: serialdev,%3,9600n81,local\n")
                          .arg(i).arg(line.rfc2217Port).arg(line.device);
            m_lines.push_back(std::move(line));
        }
        for (Line &line : m_lines) {
            for (int tries = 0; tries < 200 && !(QFileInfo::exists(line.device) && QFileInfo::exists(line.sign)); ++tries)
                QThread::msleep(10);
        }
        QFile file(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!file.open(QIODevice::WriteOnly)) {
            m_skipReason = QStringLiteral("cannot write the ser2net configuration");
            return;
        }
        file.write(config.toUtf8());
        file.close();
        // Started by hand rather than by QProcess, which would keep pipes to
        // it: the tests count this process's descriptors around a kill.
        const QByteArray program = QFile::encodeName(ser2net);
        const QByteArray configPath = QFile::encodeName(file.fileName());
        const QByteArray pidPath = QFile::encodeName(m_dir.filePath(QStringLiteral("ser2net.pid")));
        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::execl(program.constData(), program.constData(), "-n", "-c", configPath.constData(), "-P",
                    pidPath.constData(), static_cast<char *>(nullptr));
            ::_exit(127);
        }
        // Ready once every accepter listens (looked up, not connected to: a
        // connection would make ser2net open and close the line).
        for (const Line &line : m_lines) {
            for (quint16 port : {line.rawPort, line.rfc2217Port}) {
                for (int tries = 0; tries < 500 && !isListening(port); ++tries)
                    QThread::msleep(10);
            }
        }
        m_available = true;
    }
    ~Ser2net()
    {
        kill();
        for (Line &line : m_lines) {
            if (line.socat) {
                line.socat->terminate();
                line.socat->waitForFinished(3000);
            }
        }
    }
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    bool available() const { return m_available; }
    const QString &skipReason() const { return m_skipReason; }

    QString rawAddress(int line = 0) const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_lines.at(size_t(line)).rawPort); }
    QString rfc2217Address(int line = 0) const
    {
        return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_lines.at(size_t(line)).rfc2217Port);
    }
    quint16 rawPort(int line = 0) const { return m_lines.at(size_t(line)).rawPort; }
    // The pseudo-terminal ser2net serves (its settings are the far port's).
    QString devicePath(int line = 0) const { return m_lines.at(size_t(line)).device; }
    // The other end: what the sign receives.
    QString signPath(int line = 0) const { return m_lines.at(size_t(line)).sign; }

    // `stty -a -F` of the served pseudo-terminal.
    QString stty(int line = 0) const
    {
        QProcess process;
        process.start(QStringLiteral("stty"), {QStringLiteral("-a"), QStringLiteral("-F"), devicePath(line)});
        process.waitForFinished(5000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    // Ends ser2net at once, as a crash or a power cut of the board would.
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    static bool isListening(quint16 port)
    {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        const QByteArray local = QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
        for (const QByteArray &row : table.readAll().split('\n')) {
            const QList<QByteArray> fields = row.simplified().split(' ');
            if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
                return true;
        }
        return false;
    }

private:
    struct Line {
        QString device;
        QString sign;
        std::unique_ptr<QProcess> socat;
        quint16 rawPort = 0;
        quint16 rfc2217Port = 0;
    };

    QTemporaryDir m_dir;
    std::vector<Line> m_lines;
    pid_t m_pid = -1;
    bool m_available = false;
    QString m_skipReason;
};

// A TCP listener on 127.0.0.1 that accepts one connection and reads it only
// when told to, with the smallest receive buffer, so that a far side that
// stops reading blocks the connection soon. refuse(): a port nobody listens on.
class StalledListener {
public:
    StalledListener()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        ::listen(m_listen, 1);
        m_thread = std::thread([this] { run(); });
    }
    ~StalledListener()
    {
        m_stop = true;
        m_thread.join();
        if (m_peer >= 0)
            ::close(m_peer);
        ::close(m_listen);
    }
    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }
    void setReading(bool reading) { m_reading = reading; }
    qint64 count() const { return m_count; }

private:
    void run()
    {
        char buffer[4096];
        while (!m_stop) {
            if (m_peer < 0) {
                pollfd entry{m_listen, POLLIN, 0};
                if (::poll(&entry, 1, 20) > 0)
                    m_peer = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                continue;
            }
            if (!m_reading) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            pollfd entry{m_peer, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(m_peer, buffer, sizeof buffer, 0);
            if (n > 0)
                m_count += n;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int m_listen = -1;
    int m_peer = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{false};
    std::atomic<qint64> m_count{0};
    std::thread m_thread;
};

// Open descriptors of this process, for the tests that nothing is left open.
inline int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// Threads of this process.
inline int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// The names of the process's threads, for a failure message.
inline QString threadNames()
{
    QStringList names;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        names << (comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed()) : task);
    }
    return names.join(QStringLiteral(", "));
}
