// CPU time the program load costs per byte, through a pseudo-terminal whose
// other end is read as fast as possible. At 4800 bit/s with 2 stop bits a
// byte occupies the line for 2.29 ms; the software should stay far below 1%
// of that (23 us) so that it never leaves gaps between bytes.

#include "PseudoTerminal.h"

#include "link/DeviceLink.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

double threadCpuMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

void BM_ProgramLoadCpuPerByte(benchmark::State &state)
{
    PseudoTerminal pty;
    if (!pty.isValid()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    MasterReader reader(pty);
    const QByteArray program(qsizetype(state.range(0)), 'p');
    TComm comm;
    DeviceLink link(comm);
    double cpu = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const double before = threadCpuMicroseconds();
        const TransferReport report = link.upload(pty.slavePath(), program);
        cpu += threadCpuMicroseconds() - before;
        bytes += report.sent;
        if (!report.complete())
            state.SkipWithError("transfer incomplete");
    }
    state.SetBytesProcessed(bytes);
    state.counters["cpu_us_per_byte"] = bytes ? cpu / double(bytes) : 0.0;
    state.counters["share_of_line_time_pct"] = bytes ? 100.0 * (cpu / double(bytes)) / 2291.7 : 0.0;
}
BENCHMARK(BM_ProgramLoadCpuPerByte)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
