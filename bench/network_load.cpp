// Loads over the network through ser2net (RFC 2217) in front of socat
// pseudo-terminals: the CPU time this process spends per byte (all its
// threads: the writer, the port's event thread), against the 2.29 ms a byte
// occupies the far line at 4800 bit/s (the goal: under 1 %), and the wall time
// of three signs loaded at once against one, each sign on a thread of its own
// as `oravelt-cli upload --port A --port B --port C` runs them.

#include "Ser2net.h"

#include "link/DeviceLink.h"
#include "link/DeviceProtocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <ctime>
#include <thread>
#include <vector>

namespace {

double processCpuMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

bool loadOne(const QString &port, const QByteArray &program)
{
    TComm comm;
    DeviceLink link(comm);
    try {
        return link.upload(port, program).complete();
    } catch (const EConnectError &) {
        return false;
    }
}

void BM_NetworkLoadCpuPerByte(benchmark::State &state)
{
    Ser2net server;
    if (!server.available()) {
        state.SkipWithError(server.skipReason().toStdString().c_str());
        return;
    }
    // The sign's end is read by another process, so that only the port's
    // own work counts here.
    QProcess sign;
    sign.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec cat \"$0\" > /dev/null"), server.signPath()});
    sign.waitForStarted();
    const QByteArray program(qsizetype(state.range(0)), '\xff');  // every byte doubled on the wire
    double cpu = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const double before = processCpuMicroseconds();
        if (!loadOne(server.rfc2217Address(), program))
            state.SkipWithError("transfer incomplete");
        cpu += processCpuMicroseconds() - before;
        bytes += DeviceProtocol::PreambleLength + program.size();
    }
    sign.kill();
    sign.waitForFinished();
    const double lineUs = double(DeviceProtocol::ByteTimeMicroseconds);
    state.counters["cpu_us_per_byte"] = bytes ? cpu / double(bytes) : 0.0;
    state.counters["share_of_line_time_pct"] = bytes ? 100.0 * (cpu / double(bytes)) / lineUs : 0.0;
}
BENCHMARK(BM_NetworkLoadCpuPerByte)->Arg(1500)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SignsAtOnce(benchmark::State &state)
{
    const int signs = int(state.range(0));
    Ser2net server(signs);
    if (!server.available()) {
        state.SkipWithError(server.skipReason().toStdString().c_str());
        return;
    }
    std::vector<std::unique_ptr<PathReader>> readers;
    for (int i = 0; i < signs; ++i)
        readers.push_back(std::make_unique<PathReader>(server.signPath(i)));
    const QByteArray program(1000, 'p');
    for (auto _ : state) {
        std::vector<std::thread> threads;
        std::atomic<int> complete{0};
        for (int i = 0; i < signs; ++i) {
            threads.emplace_back([&, i] {
                if (loadOne(i % 2 ? server.rawAddress(i) : server.rfc2217Address(i), program))
                    ++complete;
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        if (complete != signs)
            state.SkipWithError("a sign did not get every byte");
    }
    state.counters["line_time_ms"] = double(DeviceProtocol::lineTimeMilliseconds(1921 + program.size()));
}
BENCHMARK(BM_SignsAtOnce)->Arg(1)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
