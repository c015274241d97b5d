// A program load through the connection window to a pseudo-terminal whose
// other end is read as fast as possible by a separate process, so that only
// the editor's own work is counted:
// - max_gap_ms: the longest time between two handled ticks of a 1 ms timer on
//   the window's thread, from before the command starts until after it
//   returned (aim: below 50 ms, so the window never looks frozen);
// - cpu_us_per_byte: the editor process's CPU time (window thread, writer,
//   the port's event thread) per byte sent; at 4800 bit/s with 2 stop bits a
//   byte occupies the line for 2.29 ms, and the aim is below 1 % of that.

#include "PseudoTerminal.h"

#include "ui/ApplicationErrors.h"
#include "app/link/PortComboBox.h"
#include "app/link/TForm4.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <csignal>
#include <ctime>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double processCpuMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Reads `expected` bytes from the master in a child process and reports how
// many arrived through a pipe.
class FarSide {
public:
    FarSide(int master, qint64 expected)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            static char buffer[65536];
            qint64 got = 0;
            // Until the port opens the slave, and between two openings, the
            // master reads as hung up: keep looking for a while.
            timespec start {};
            clock_gettime(CLOCK_MONOTONIC, &start);
            while (got < expected) {
                timespec now {};
                clock_gettime(CLOCK_MONOTONIC, &now);
                if (now.tv_sec - start.tv_sec > 120)
                    break;
                pollfd entry{master, POLLIN, 0};
                if (::poll(&entry, 1, 100) <= 0)
                    continue;
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n <= 0) {
                    usleep(1000);
                    continue;
                }
                got += n;
            }
            [[maybe_unused]] const ssize_t w = ::write(fds[1], &got, sizeof got);
            _exit(0);
        }
        ::close(fds[1]);
        m_result = fds[0];
    }

    qint64 received()
    {
        qint64 got = -1;
        if (m_result >= 0) {
            pollfd entry{m_result, POLLIN, 0};
            if (::poll(&entry, 1, 20000) > 0 && ::read(m_result, &got, sizeof got) != ssize_t(sizeof got))
                got = -1;
            ::close(m_result);
            m_result = -1;
        }
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        return got;
    }

    ~FarSide() { received(); }

private:
    pid_t m_pid = -1;
    int m_result = -1;
};

void BM_WindowProgramLoad(benchmark::State &state)
{
    const QByteArray program(qsizetype(state.range(0)), 'p');
    {
        QFile file(TForm4::programPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(program) != program.size()) {
            state.SkipWithError("cannot write the compiled program next to the benchmark");
            return;
        }
    }
    TForm4 form(nullptr, QStringLiteral("/nonexistent-sys"));
    form.CheckBox2->setChecked(false);
    form.show();

    double cpu = 0;
    qint64 bytes = 0;
    qint64 longestGapMs = 0;
    for (auto _ : state) {
        PseudoTerminal pty;
        if (!pty.isValid()) {
            state.SkipWithError("no pseudo-terminal");
            break;
        }
        const qint64 total = 1921 + program.size();
        FarSide farSide(pty.master(), total);
        form.ComboBox1->choosePath(pty.slavePath());

        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestGapMs = qMax(longestGapMs, sinceTick.elapsed());
            sinceTick.restart();
        });
        tick.start(1);
        QCoreApplication::processEvents();
        sinceTick.start();

        const double before = processCpuMicroseconds();
        form.btnUploadClick();
        cpu += processCpuMicroseconds() - before;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);  // the tick after the command
        tick.stop();

        if (farSide.received() != total)
            state.SkipWithError("the far side did not receive the whole stream");
        bytes += total;
    }
    QFile::remove(TForm4::programPath());
    state.SetBytesProcessed(bytes);
    state.counters["max_gap_ms"] = double(longestGapMs);
    state.counters["cpu_us_per_byte"] = bytes ? cpu / double(bytes) : 0.0;
    state.counters["share_of_line_time_pct"] = bytes ? 100.0 * (cpu / double(bytes)) / 2291.7 : 0.0;
}
BENCHMARK(BM_WindowProgramLoad)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    OraveltApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
