// Program loads and clock settings through pseudo-terminals: exact bytes on
// the line, slow and stalling readers, a sign that talks back, a sign that
// goes away, and the open and close routines.

#include "PseudoTerminal.h"
#include "TestProcess.h"

#include "link/DeviceLink.h"
#include "link/DeviceProtocol.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray preamble(char marker)
{
    return QByteArray(DeviceProtocol::PreambleLength, marker);
}

// Every byte value, starting with the preamble's own 0x41, then a counter.
QByteArray testProgram(qsizetype size)
{
    QByteArray program(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        program[i] = char((i + 0x41) & 0xFF);
    return program;
}

class LinkOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        ASSERT_TRUE(pty.isValid());
    }

    PseudoTerminal pty;
    TComm comm;
    DeviceLink link{comm};
};

TEST_F(LinkOnPty, ProgramLoadSendsPreambleThenEveryByteUnchanged)
{
    MasterReader reader(pty);
    const QByteArray program = testProgram(5000);
    const TransferReport report = link.upload(pty.slavePath(), program);
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(report.total, 1921 + 5000);
    EXPECT_EQ(report.sent, report.total);
    EXPECT_EQ(report.timedOut, 0);
    EXPECT_FALSE(comm.Active());
    EXPECT_EQ(reader.waitFor(report.total), preamble('A') + program);
}

TEST_F(LinkOnPty, SlowReaderInBurstsStillGetsEveryByte)
{
    // Bursts with pauses far shorter than the write time-out; the program is
    // several times what the pseudo-terminal buffers, so writes must wait.
    MasterReader reader(pty, {.burstBytes = 1024, .pause = 10ms});
    const QByteArray program = testProgram(100000);
    const TransferReport report = link.upload(pty.slavePath(), program);
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(report.timedOut, 0);
    EXPECT_EQ(reader.waitFor(report.total), preamble('A') + program);
}

TEST_F(LinkOnPty, StallingReaderMakesTheTransferReportTimedOutBytes)
{
    link.setWriteTimeout(100);
    MasterReader reader(pty, {.initialStall = 1500ms});
    const QByteArray program = testProgram(60000);
    const TransferReport report = link.upload(pty.slavePath(), program);
    EXPECT_TRUE(report.finished);  // a time-out does not stop the transfer
    EXPECT_GT(report.timedOut, 0);
    EXPECT_FALSE(report.complete());
    EXPECT_EQ(report.sent + report.timedOut, report.total);
    const QByteArray got = reader.waitFor(report.sent);
    EXPECT_EQ(got.size(), report.sent);  // what was not taken was not sent either
    EXPECT_EQ(got.left(1921), preamble('A'));
}

TEST_F(LinkOnPty, ClockSettingSendsPreambleAndSixBytesBuiltAfterIt)
{
    MasterReader reader(pty);
    qint64 sentWhenRead = -1;
    const TransferReport report = link.setClock(pty.slavePath(), [&] {
        sentWhenRead = link.report().sent;
        return QDateTime(QDate(2011, 12, 31), QTime(23, 59, 59, 999));
    });
    EXPECT_EQ(sentWhenRead, 1921);  // the clock is read after the preamble
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(report.payload, QByteArray::fromHex("0b0c1f173b3b"));
    EXPECT_EQ(reader.waitFor(1927), preamble('d') + QByteArray::fromHex("0b0c1f173b3b"));
}

TEST_F(LinkOnPty, LineSettingsAreReappliedBeforeEveryTransfer)
{
    MasterReader reader(pty);
    comm.setBaudrate(br9600);
    comm.setStopbits(sb10);
    comm.setFlowControl(fcSoftware);
    comm.setWriteTimeout(5);
    speed_t during = B0;
    tcflag_t cflag = 0, iflag = 0;
    link.setProgressHandler([&](const TransferProgress &) {
        const termios tio = pty.slaveSettings();
        during = cfgetospeed(&tio);
        cflag = tio.c_cflag;
        iflag = tio.c_iflag;
    });
    link.upload(pty.slavePath(), "x");
    EXPECT_EQ(during, speed_t(B4800));
    EXPECT_TRUE(cflag & CSTOPB);
    EXPECT_FALSE(cflag & CRTSCTS);
    EXPECT_FALSE(iflag & (IXON | IXOFF));
    EXPECT_EQ(comm.WriteTimeout(), 1000);
    EXPECT_EQ(comm.MonitorEvents(), evRxChar | evTxEmpty);
    EXPECT_EQ(comm.ReadBufSize(), 0);
    EXPECT_EQ(comm.WriteBufSize(), 0);
}

TEST_F(LinkOnPty, BytesFromTheSignChangeNothingAndAreReadOrDroppedAfterwards)
{
    MasterReader reader(pty);
    int dropped = 0;
    comm.setOnRxChar([&](QObject *, int count) {
        QByteArray s;
        for (int i = 0; i < count; ++i) {
            if (comm.ReadString(1, s) == 0)
                break;
            ++dropped;
        }
    });
    bool talked = false;
    link.setProgressHandler([&](const TransferProgress &) {
        if (!talked)
            pty.writeMaster("chatter from the sign");
        talked = true;
    });
    const QByteArray program = testProgram(3000);
    const TransferReport report = link.upload(pty.slavePath(), program);
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(reader.waitFor(report.total), preamble('A') + program);
    // Read by the handler while the port closed, or dropped by the close.
    EXPECT_TRUE(dropped == 0 || dropped == 21) << dropped;
    link.openPort(pty.slavePath());
    EXPECT_EQ(comm.InQueCount(), 0);
    link.closePort();
}

TEST_F(LinkOnPty, PortThatCannotBeOpenedFailsBeforeAnyByte)
{
    try {
        link.upload(u"/dev/ttyOraveltMissing"_s, "abc");
        FAIL() << "transfer over a missing port";
    } catch (const EComError &e) {
        EXPECT_EQ(e.function(), u"CreateFile"_s);
    }
    EXPECT_FALSE(comm.Active());
    EXPECT_EQ(link.report().sent, 0);
    EXPECT_FALSE(link.report().finished);
    EXPECT_EQ(link.closePort(), 0);  // the close routine on a closed port does nothing
}

TEST_F(LinkOnPty, AlreadyOpenPortIsUsedAfterTheWarning)
{
    MasterReader reader(pty);
    int warnings = 0;
    link.setAlreadyOpenHandler([&] { ++warnings; });
    EXPECT_EQ(link.openPort(pty.slavePath()), DeviceLink::OpenResult::Opened);
    const TransferReport report = link.upload(pty.slavePath(), "z");
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(reader.waitFor(1922), preamble('A') + "z");
}

TEST_F(LinkOnPty, SignGoingAwayMidTransferEndsItWithAPortError)
{
    MasterReader reader(pty, {.closeAfter = 4000});
    link.setWriteTimeout(200);
    try {
        link.upload(pty.slavePath(), testProgram(200000));
        FAIL() << "transfer went on without the other side";
    } catch (const EComError &e) {
        EXPECT_EQ(e.function(), u"WriteFile"_s);
    }
    EXPECT_TRUE(comm.Active());  // stranded until closed
    EXPECT_FALSE(link.report().finished);
    EXPECT_GE(link.report().sent, 4000);

    const double before = processCpuSeconds();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(processCpuSeconds() - before, 0.2) << "a thread keeps spinning on the dead port";

    link.closePort();
    EXPECT_FALSE(comm.Active());
    EXPECT_FALSE(comm.hasEventThread());
}

TEST_F(LinkOnPty, ProgressCountsUpToTheTotal)
{
    MasterReader reader(pty);
    qint64 last = 0, calls = 0;
    bool monotonic = true;
    link.setProgressHandler([&](const TransferProgress &p) {
        monotonic = monotonic && p.sent >= last && p.total == 1921 + 1000;
        last = p.sent;
        ++calls;
    });
    link.upload(pty.slavePath(), testProgram(1000));
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(last, 1921 + 1000);
    EXPECT_GT(calls, 2);
}

} // namespace
