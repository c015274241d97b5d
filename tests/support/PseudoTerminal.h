#pragma once

// A pseudo-terminal pair for hardware-free serial tests: the port under test
// opens the slave by its path; the test plays the sign (or another program)
// on the master. MasterReader collects what the port sends on a thread of its
// own, optionally in bursts with pauses, like a slow device.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        char name[256] = {};
        int master = -1;
        int slave = -1;
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        m_master = master;
        m_slavePath = QString::fromLocal8Bit(name);
        // The test keeps no slave descriptor of its own: the port's is the
        // only one, as with a real device.
        ::close(slave);
        fcntl(master, F_SETFD, FD_CLOEXEC);
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master.load() >= 0; }
    int master() const { return m_master.load(); }
    const QString &slavePath() const { return m_slavePath; }

    void writeMaster(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master(), bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                return;
            done += n;
        }
    }

    void closeMaster()
    {
        const int fd = m_master.exchange(-1);
        if (fd >= 0)
            ::close(fd);
    }

    // The slave's terminal settings as the port left them (read through the
    // master, which shares them).
    termios slaveSettings() const
    {
        termios tio {};
        tcgetattr(master(), &tio);
        return tio;
    }

private:
    std::atomic<int> m_master{-1};
    QString m_slavePath;
};

class MasterReader {
public:
    struct Pacing {
        int burstBytes = 0;  // 0: read as fast as possible
        std::chrono::milliseconds pause{0};
        std::chrono::milliseconds initialStall{0};
        qint64 closeAfter = -1;  // close the master after this many bytes
    };

    explicit MasterReader(PseudoTerminal &pty)
        : MasterReader(pty, Pacing{})
    {
    }
    MasterReader(PseudoTerminal &pty, Pacing pacing)
        : m_pty(pty)
        , m_pacing(pacing)
        , m_thread([this] { run(); })
    {
    }
    ~MasterReader() { stop(); }

    // Waits (bounded) until count bytes have arrived; returns what arrived.
    QByteArray waitFor(qint64 count, std::chrono::milliseconds limit = std::chrono::seconds(60))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard guard(m_mutex);
                if (m_received.size() >= count || m_ended)
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

    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void run()
    {
        std::this_thread::sleep_for(m_pacing.initialStall);
        static thread_local char buffer[65536];
        int inBurst = 0;
        while (!m_stop) {
            const int fd = m_pty.master();
            if (fd < 0)
                break;
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            size_t want = sizeof buffer;
            if (m_pacing.burstBytes > 0)
                want = size_t(m_pacing.burstBytes - inBurst);
            const ssize_t n = ::read(fd, buffer, want);
            if (n <= 0) {
                if (n < 0 && (errno == EAGAIN || errno == EINTR))
                    continue;
                // EIO: the slave side was closed. Keep looking: the port under
                // test may open it again.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            qint64 total = 0;
            {
                std::lock_guard guard(m_mutex);
                m_received.append(buffer, n);
                total = m_received.size();
            }
            if (m_pacing.closeAfter >= 0 && total >= m_pacing.closeAfter) {
                m_pty.closeMaster();
                break;
            }
            if (m_pacing.burstBytes > 0) {
                inBurst += int(n);
                if (inBurst >= m_pacing.burstBytes) {
                    inBurst = 0;
                    std::this_thread::sleep_for(m_pacing.pause);
                }
            }
        }
        std::lock_guard guard(m_mutex);
        m_ended = true;
    }

    PseudoTerminal &m_pty;
    Pacing m_pacing;
    std::mutex m_mutex;
    QByteArray m_received;
    bool m_ended = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
