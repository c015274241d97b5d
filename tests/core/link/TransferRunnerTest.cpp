// The transfer written off the owner's thread, on pseudo-terminals: the owner
// keeps running its event loop (and the port's hand-overs) meanwhile; a stop
// ends after the byte in hand; a far side that goes away ends it with the
// port error and no thread left spinning; the runner never outlives its end.

#include "PseudoTerminal.h"
#include "TestProcess.h"

#include "link/DeviceProtocol.h"
#include "link/TransferRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>


using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray program(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 0x41) & 0xFF);
    return bytes;
}

class RunnerOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        ASSERT_TRUE(pty.isValid());
    }

    // Runs the owner's event loop until the runner has ended, counting the
    // timer ticks it handled meanwhile and the longest gap between two.
    void runEventLoopUntilEnd()
    {
        QEventLoop loop;
        QTimer tick;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestGapMs = qMax(longestGapMs, sinceTick.elapsed());
            sinceTick.restart();
            ++ticks;
        });
        tick.start(5);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);  // a hung runner fails, not hangs
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!runner.isRunning())
                loop.quit();
        });
        poll.start(1);
        loop.exec();
        runner.wait();
    }

    PseudoTerminal pty;
    TComm comm;
    DeviceLink link{comm};
    TransferRunner runner{link};
    int ticks = 0;
    qint64 longestGapMs = 0;
};

TEST_F(RunnerOnPty, LoadGoesOutExactlyWhileTheOwnerLoopKeepsRunning)
{
    // Slow enough that the load takes a while: the owner must go on meanwhile.
    MasterReader reader(pty, {.burstBytes = 2048, .pause = 5ms});
    const QByteArray bytes = program(150000);
    link.openPort(pty.slavePath());
    std::atomic<int> finishedCalls{0};
    ASSERT_TRUE(runner.start(TransferPlan::programLoad(bytes), [&] { ++finishedCalls; }));
    EXPECT_FALSE(runner.start(TransferPlan::programLoad(bytes)));  // one at a time
    runEventLoopUntilEnd();
    link.purgeAndClose();

    EXPECT_EQ(finishedCalls.load(), 1);
    EXPECT_FALSE(runner.error());
    EXPECT_TRUE(runner.report().complete());
    EXPECT_EQ(runner.report().payloadSent, bytes.size());
    const TransferProgress last = runner.progress();
    EXPECT_EQ(last.sent, last.total);
    EXPECT_EQ(last.phase, TransferPhase::Draining);
    EXPECT_EQ(reader.waitFor(1921 + bytes.size()), QByteArray(1921, 'A') + bytes);
    EXPECT_GT(ticks, 10);
    EXPECT_FALSE(comm.Active());
}

TEST_F(RunnerOnPty, HandOversRunOnTheOwnerDuringTheTransferAndChangeNothing)
{
    MasterReader reader(pty, {.burstBytes = 2048, .pause = 5ms});
    int rxEvents = 0;
    comm.setOnRxChar([&](QObject *, int count) {
        ++rxEvents;
        QByteArray s;
        for (int i = 0; i < count; ++i) {
            if (comm.ReadString(1, s) == 0)
                break;
        }
    });
    const QByteArray bytes = program(100000);
    link.openPort(pty.slavePath());
    ASSERT_TRUE(runner.start(TransferPlan::programLoad(bytes)));
    for (int i = 0; i < 5; ++i) {
        pty.writeMaster("sign talking back");
        QEventLoop pause;
        QTimer::singleShot(30, &pause, &QEventLoop::quit);
        pause.exec();
    }
    const bool stillRunning = runner.isRunning();
    runEventLoopUntilEnd();
    link.purgeAndClose();

    EXPECT_TRUE(stillRunning) << "the load ended before the far side talked; make it longer";
    EXPECT_GT(rxEvents, 0);  // the owner ran the port's notifications meanwhile
    EXPECT_TRUE(runner.report().complete());
    EXPECT_EQ(reader.waitFor(1921 + bytes.size()), QByteArray(1921, 'A') + bytes);
}

TEST_F(RunnerOnPty, StopEndsAfterTheByteInHandAndTheFarSideHasAPrefix)
{
    MasterReader reader(pty, {.burstBytes = 1024, .pause = 10ms});
    const QByteArray bytes = program(400000);
    const QByteArray stream = QByteArray(1921, 'A') + bytes;
    link.openPort(pty.slavePath());
    ASSERT_TRUE(runner.start(TransferPlan::programLoad(bytes)));
    while (runner.isRunning() && runner.progress().sent < 20000)
        std::this_thread::sleep_for(1ms);
    runner.requestStop();
    runEventLoopUntilEnd();
    const TransferReport report = runner.report();
    link.purgeAndClose();

    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.finished);
    EXPECT_FALSE(report.complete());
    EXPECT_GT(report.payloadSent, 0);
    EXPECT_LT(report.sent, stream.size());
    EXPECT_EQ(report.sent, 1921 + report.payloadSent);
    // A pseudo-terminal has no queue of its own: all that was taken arrives.
    EXPECT_EQ(report.payloadDelivered(), report.payloadSent);
    const QByteArray got = reader.waitFor(report.sent, 5s);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(reader.received().size(), report.sent);
    EXPECT_EQ(got, stream.left(got.size()));
}

TEST_F(RunnerOnPty, FarSideGoingAwayEndsWithTheWriteErrorAndNothingSpins)
{
    MasterReader reader(pty, {.closeAfter = 5000});
    link.openPort(pty.slavePath());
    ASSERT_TRUE(runner.start(TransferPlan::programLoad(program(300000))));
    runEventLoopUntilEnd();

    ASSERT_TRUE(runner.error());
    try {
        std::rethrow_exception(runner.error());
    } catch (const EComError &e) {
        EXPECT_EQ(e.function(), u"WriteFile"_s);
    }
    EXPECT_FALSE(runner.report().finished);
    EXPECT_TRUE(comm.Active());  // stranded until the owner closes

    // The owner's loop waits meanwhile, as a window's would.
    const double before = processCpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(500, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_LT(processCpuSeconds() - before, 0.2) << "a thread keeps spinning on the dead port";

    link.purgeAndClose();
    EXPECT_FALSE(comm.Active());
    EXPECT_FALSE(comm.hasEventThread());
}

TEST_F(RunnerOnPty, ClockIsReadOnlyWhenThePreambleHadItsLineTimeAndAStopThenSendsNoPayload)
{
    MasterReader reader(pty);
    QElapsedTimer sinceStart;
    std::atomic<qint64> readAfterMs{-1};
    link.openPort(pty.slavePath());
    sinceStart.start();
    ASSERT_TRUE(runner.start(TransferPlan::clockSetting([&] {
        readAfterMs = sinceStart.elapsed();
        return QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0));
    })));
    runEventLoopUntilEnd();
    link.purgeAndClose();
    EXPECT_GE(readAfterMs.load(), 4400);  // 1921 bytes of 11 bits at 4800 bit/s
    EXPECT_EQ(reader.waitFor(1927), QByteArray(1921, 'd') + QByteArray::fromHex("000101000000"));

    // Stopped while the preamble is still on the line: no clock goes out.
    PseudoTerminal second;
    MasterReader secondReader(second);
    bool read = false;
    link.openPort(second.slavePath());
    ASSERT_TRUE(runner.start(TransferPlan::clockSetting([&] {
        read = true;
        return QDateTime::currentDateTime();
    })));
    while (runner.progress().lineWaitMs == 0 && runner.isRunning())
        std::this_thread::sleep_for(1ms);
    EXPECT_GT(runner.progress().lineWaitMs, 3000);
    runner.requestStop();
    runEventLoopUntilEnd();
    link.purgeAndClose();
    EXPECT_FALSE(read);
    EXPECT_TRUE(runner.report().stopped);
    EXPECT_EQ(runner.report().payloadSent, 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(secondReader.received(), QByteArray(1921, 'd'));
}

TEST_F(RunnerOnPty, DestroyingARunnerThatWritesStopsItFirst)
{
    MasterReader reader(pty, {.burstBytes = 512, .pause = 10ms});
    link.openPort(pty.slavePath());
    QElapsedTimer t;
    {
        TransferRunner own(link);
        ASSERT_TRUE(own.start(TransferPlan::programLoad(program(500000))));
        std::this_thread::sleep_for(50ms);
        t.start();
    }
    EXPECT_LT(t.elapsed(), 2000);  // at most one write time-out
    EXPECT_TRUE(link.report().stopped);
    link.purgeAndClose();
    EXPECT_FALSE(comm.Active());
}

} // namespace
