// oravelt-cli upload and set-clock on network ports and on several signs at
// once: each sign gets the whole transfer, one that fails midway leaves the
// others complete, the table and the exit status say which failed.

#include "CliRun.h"
#include "Ser2net.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

TEST(PortsFile, OnePortALineWithCommentsAndBlankLines)
{
    // Comments and blank lines are skipped: the one port left is then named twice.
    QTemporaryDir dir;
    writeFile(dir.filePath(u"ports"_s), "# shop windows\n/dev/ttyUSB0\n\n  tcp://10.0.0.5:4001  # door\n#rfc2217://x:1\n");
    const CliRun run = runCli({u"set-clock"_s, u"--ports-from"_s, dir.filePath(u"ports"_s), u"--port"_s,
                               u"/dev/ttyUSB0"_s});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("the port /dev/ttyUSB0 is given twice")) << run.err.toStdString();

    const CliRun none = runCli({u"upload"_s, u"--ports-from"_s, dir.filePath(u"missing"_s)});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.err.contains("cannot read the ports file")) << none.err.toStdString();
}

TEST(CliOnTheNetwork, ClockThroughRawAndRfc2217AtOnce)
{
    Ser2net server(2);
    if (!server.available())
        GTEST_SKIP() << server.skipReason().toStdString();
    PathReader first(server.signPath(0));
    PathReader second(server.signPath(1));
    const CliRun run = runCli({u"set-clock"_s, u"--port"_s, server.rawAddress(0), u"--port"_s,
                               server.rfc2217Address(1), u"--at"_s, u"2011-12-31 23:59:59"_s});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray expected = QByteArray(1921, 'd') + QByteArray::fromHex("0b0c1f173b3b");
    EXPECT_EQ(first.waitFor(1927), expected);
    EXPECT_EQ(second.waitFor(1927), expected);
    EXPECT_TRUE(run.out.contains("Port")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("every byte sent to all 2 signs")) << run.err.toStdString();
}

TEST(CliOnTheNetwork, ThreeSignsAtOnceOneFailingMidwayLeavesTheOthersComplete)
{
    Ser2net pair(2);
    Ser2net doomed(1);
    if (!pair.available() || !doomed.available())
        GTEST_SKIP() << pair.skipReason().toStdString();
    PathReader a(pair.signPath(0));
    PathReader b(pair.signPath(1));
    PathReader c(doomed.signPath(0));
    QTemporaryDir dir;
    const QByteArray program = QByteArray::fromHex("ff00ff41") + QByteArray(400, 'z');
    writeFile(dir.filePath(u"cmpres8.dat"_s), program);
    writeFile(dir.filePath(u"signs"_s), (u"# the two platforms\n%1\n%2\n"_s.arg(pair.rfc2217Address(0), pair.rawAddress(1))).toUtf8());

    std::atomic<bool> done{false};
    std::thread killer([&] {
        while (!done && c.count() < 1921 + 100)
            std::this_thread::sleep_for(5ms);
        doomed.kill();
    });
    const CliRun run = runCli({u"upload"_s, u"--ports-from"_s, u"signs"_s, u"--port"_s, doomed.rawAddress()},
                              QStringLiteral(ORAVELT_CLI), CliInput{{}, dir.path()});
    done = true;
    killer.join();

    const QByteArray whole = QByteArray(1921, 'A') + program;
    EXPECT_EQ(a.waitFor(whole.size()), whole);
    EXPECT_EQ(b.waitFor(whole.size()), whole);
    EXPECT_LT(c.received().size(), whole.size());
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains((u"Upload failed on 1 of 3 signs: "_s + doomed.rawAddress()).toUtf8()))
        << run.err.toStdString();
    const QList<QByteArray> rows = run.out.split('\n');
    ASSERT_GE(rows.size(), 4) << run.out.toStdString();
    // --port first, then the file's ports in their order.
    EXPECT_TRUE(rows.at(1).startsWith(doomed.rawAddress().toUtf8()) && rows.at(1).contains("in function: WriteFile")
                && rows.at(1).contains(" of 404 program bytes sent)"))
        << run.out.toStdString();
    EXPECT_TRUE(rows.at(2).contains("2325 of 2325") && rows.at(2).endsWith("ok")) << run.out.toStdString();
    EXPECT_TRUE(rows.at(3).contains("2325 of 2325") && rows.at(3).endsWith("ok")) << run.out.toStdString();
}

} // namespace
