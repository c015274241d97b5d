// A check of a 100 000-item message from the check window, started from the
// event loop as F9 starts it: the whole check (snapshot, walk, files, pane)
// and the longest the user interface went without handling an event during
// it, measured by a 1 ms timer that fires whenever the loop runs. Also the
// memory the editor holds after opening and clearing the message many times.

#include "LongMessage.h"
#include "QtBenchMain.h"

#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "app/calibration/TForm6.h"
#include "app/check/TForm3.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <unistd.h>

namespace {

constexpr int ItemCount = 100000;

void BM_CheckLongMessageFromTheCheckWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    TForm1 form1;
    TForm3 form3(form1, dir.path() + u'/');
    form1.setCheckWindow(&form3);
    TForm6 form6(&form1, dir.path() + u'/');
    form1.setCalibrationWindow(&form6);
    form3.setCalibrationSource(&form6);
    form1.show();
    form1.rve->loadDocument(LongMessage::make(ItemCount));
    QApplication::processEvents();

    double longestGapMs = 0;
    double totalMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 lastEvent = 0;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastEvent);
            lastEvent = now;
        });
        QEventLoop loop;
        qint64 ended = 0;
        QTimer::singleShot(0, &form1, [&] {
            ticker.start();
            clock.start();
            form1.menuCheckTextClick();
            ended = clock.nsecsElapsed();
            loop.quit();
        });
        loop.exec();
        longest = std::max(longest, ended - lastEvent);
        if (form3.isRunning() || form3.outerHeight() != TForm3::SucceededHeight)
            state.SkipWithError("the check did not succeed");
        totalMs = ended / 1e6;
        longestGapMs = longest / 1e6;
        state.SetIterationTime(ended / 1e9);
    }
    state.counters["total_ms"] = totalMs;
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["items"] = ItemCount;
    state.counters["program_bytes"] = double(QFile(dir.filePath(QStringLiteral("cmpres8.dat"))).size());
    form1.rve->setDocumentModified(false);
}
BENCHMARK(BM_CheckLongMessageFromTheCheckWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Opening a long message and starting a new one, again and again: what the
// process holds afterwards beyond what it held after the first round.
void BM_OpenAndClearLongMessageRepeatedly(benchmark::State &state)
{
    TRichViewEdit editor;
    const SourceDocument message = LongMessage::make(ItemCount / 4);
    editor.loadDocument(message);
    editor.clearDocument();
    QApplication::processEvents();
    const long before = residentKiB();
    for (auto _ : state) {
        editor.loadDocument(message);
        editor.clearDocument();
    }
    QApplication::processEvents();
    state.counters["growth_KiB"] = double(residentKiB() - before);
}
BENCHMARK(BM_OpenAndClearLongMessageRepeatedly)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
