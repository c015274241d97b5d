// The serial port on pseudo-terminals: opening and its errors, the line
// settings on the device, reads and writes, notifications and their hand-over
// to the owner thread, closing, and a device that goes away.

#include "PseudoTerminal.h"
#include "TestProcess.h"

#include "serial/CommHandle.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "test_serial";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
    Q_UNUSED(app);
}

int threadCount()
{
    return int(QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

template<typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = 20s)
{
    QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A joined thread leaves the process's task list a moment after it
// reported its end; wait (bounded) for the count to settle.
bool threadEnds(int expected)
{
    return waitUntil([expected] { return threadCount() <= expected; }, 10s);
}

speed_t outputSpeed(const PseudoTerminal &pty)
{
    const termios tio = pty.slaveSettings();
    return cfgetospeed(&tio);
}

class CommOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        ASSERT_TRUE(pty.isValid());
        comm.setDeviceName(pty.slavePath());
    }

    PseudoTerminal pty;
    TComm comm;
};

TEST(CommOpening, MissingDeviceGivesCreateFileErrorAndLeavesNoThread)
{
    application();
    const int threadsBefore = threadCount();
    TComm comm;
    comm.setDeviceName(u"ttyDoesNotExist42"_s);
    try {
        comm.Open();
        FAIL() << "opened a device that does not exist";
    } catch (const EComError &e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_EQ(e.function(), u"CreateFile"_s);
        EXPECT_EQ(e.message(), u"Error %1 No such file or directory in function: CreateFile"_s.arg(ENOENT));
    }
    EXPECT_FALSE(comm.Active());
    EXPECT_EQ(comm.Handle(), -1);
    EXPECT_FALSE(comm.hasEventThread());
    EXPECT_EQ(comm.InQueCount(), -1);
    EXPECT_TRUE(threadEnds(threadsBefore));
}

TEST(CommOpening, EmptyNameFailsLikeAMissingDevice)
{
    TComm comm;
    comm.setDeviceName({});
    EXPECT_THROW(comm.Open(), EComError);
    EXPECT_FALSE(comm.Active());
}

TEST(CommOpening, RegularFileIsRefusedAsNoTerminal)
{
    const QString path = QDir::tempPath() + u"/oravelt-not-a-port-%1"_s.arg(getpid());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TComm comm;
    comm.setDeviceName(path);
    try {
        comm.Open();
        FAIL() << "opened a regular file as a port";
    } catch (const EComError &e) {
        EXPECT_EQ(e.function(), u"GetFileType"_s);
    }
    EXPECT_FALSE(comm.Active());
    QFile::remove(path);
}

TEST_F(CommOnPty, SecondOpenOfAHeldPortFails)
{
    comm.Open();
    TComm second;
    second.setDeviceName(pty.slavePath());
    try {
        second.Open();
        FAIL() << "a held port opened twice";
    } catch (const EComError &e) {
        EXPECT_EQ(e.code(), EBUSY);
        EXPECT_EQ(e.function(), u"CreateFile"_s);
        EXPECT_TRUE(e.message().contains(u"in use by another program"_s)) << e.what();
    }
    EXPECT_FALSE(second.Active());
    EXPECT_TRUE(comm.Active());
    comm.Close();
    EXPECT_NO_THROW(second.Open());  // free again once closed
}

TEST_F(CommOnPty, LineSettingsReachTheDevice)
{
    // Whatever the device had before is replaced.
    termios before = pty.slaveSettings();
    before.c_cflag |= CRTSCTS | HUPCL | PARENB;
    before.c_iflag |= IXON | IXOFF | ICRNL;
    tcsetattr(pty.master(), TCSANOW, &before);

    comm.setBaudrate(br4800);
    comm.setDatabits(da8);
    comm.setParity(paNone);
    comm.setStopbits(sb20);
    comm.setFlowControl(fcNone);
    comm.Open();

    const termios tio = pty.slaveSettings();
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B4800));
    EXPECT_EQ(cfgetispeed(&tio), speed_t(B4800));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_cflag & HUPCL);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & CREAD);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | INPCK | ISTRIP));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
}

TEST_F(CommOnPty, ChangingSpeedWhileOpenAppliesAtOnceAndWhileClosedOnlyStores)
{
    comm.setBaudrate(br4800);
    comm.Open();
    comm.setBaudrate(br19200);
    EXPECT_EQ(outputSpeed(pty), speed_t(B19200));
    comm.Close();
    comm.setBaudrate(br9600);
    EXPECT_EQ(outputSpeed(pty), speed_t(B19200));
    EXPECT_EQ(comm.Baudrate(), br9600);
}

TEST_F(CommOnPty, ParityStopBitsAndHandshakeMapOntoTheDevice)
{
    comm.setParity(paEven);
    comm.setDatabits(da7);
    comm.setStopbits(sb10);
    comm.setFlowControl(fcCTS);
    comm.Open();
    termios tio = pty.slaveSettings();
    // A pseudo-terminal always carries 8-bit bytes without parity, so only
    // the rest can be seen here.
    EXPECT_FALSE(tio.c_cflag & CSTOPB);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);

    comm.setFlowControl(fcSoftware);  // adds to what the device has
    tio = pty.slaveSettings();
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_TRUE(tio.c_iflag & IXOFF);

    comm.setFlowControl(fcNone);
    comm.setOptions(coParityCheck);
    tio = pty.slaveSettings();
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & IXON);
    EXPECT_TRUE(tio.c_iflag & INPCK);
}

TEST_F(CommOnPty, UnavailableLineSettingsFailAsSetCommState)
{
    comm.Open();
    try {
        comm.setDatabits(da4);
        FAIL() << "4 data bits accepted";
    } catch (const EComError &e) {
        EXPECT_EQ(e.function(), u"SetCommState"_s);
        EXPECT_EQ(e.code(), EINVAL);
    }
}

TEST_F(CommOnPty, SpeedWithoutATermiosConstantIsSet)
{
    comm.setBaudrate(br56000);
    EXPECT_NO_THROW(comm.Open());
}

TEST_F(CommOnPty, FixedPropertiesRefuseChangesWhileOpen)
{
    comm.Open();
    EXPECT_THROW(comm.setReadBufSize(10), EConnectError);
    EXPECT_THROW(comm.setWriteBufSize(10), EConnectError);
    EXPECT_THROW(comm.setMonitorEvents(evRxChar), EConnectError);
    EXPECT_THROW(comm.setDeviceName(u"ttyS0"_s), EConnectError);
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    EXPECT_EQ(comm.DeviceName(), pty.slavePath());
    comm.setWriteTimeout(50);  // allowed at any time
    EXPECT_EQ(comm.WriteTimeout(), 50);
}

TEST_F(CommOnPty, ZeroQueueSizesStillOpen)
{
    comm.setReadBufSize(0);
    comm.setWriteBufSize(0);
    EXPECT_NO_THROW(comm.Open());
}

TEST_F(CommOnPty, SignalsNeedAnOpenPortAndAreNoOpsOnAPseudoTerminal)
{
    try {
        comm.SetSignal(siDtr, false);
        FAIL() << "signal on a closed port";
    } catch (const EConnectError &e) {
        EXPECT_EQ(e.message(), u"Connection is inactive"_s);
    }
    comm.Open();
    EXPECT_NO_THROW(comm.SetSignal(siDtr, false));
    EXPECT_NO_THROW(comm.SetSignal(siRts, true));
    EXPECT_NO_THROW(comm.SetSignal(siBreak, true));
    EXPECT_NO_THROW(comm.SetSignal(siBreak, false));
    EXPECT_NO_THROW(comm.SetSignal(siTransmission, false));
    EXPECT_NO_THROW(comm.SetSignal(siTransmission, true));
}

TEST_F(CommOnPty, ReadWithNothingReceivedReturnsAtOnce)
{
    comm.setReadTimeout(600000);  // would hang the test if the read waited for it
    comm.Open();
    char byte = 0;
    EXPECT_EQ(comm.Read(&byte, 1), 0);
    QByteArray s;
    EXPECT_EQ(comm.ReadString(1, s), 0);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(comm.InQueCount(), 0);
}

TEST_F(CommOnPty, WrittenBytesArriveAndReceivedOnesCanBeRead)
{
    comm.setFlowControl(fcNone);  // else XON and XOFF would steer the line
    comm.Open();
    MasterReader reader(pty);
    EXPECT_EQ(comm.WriteString(QByteArray("\x00\x41\xff\n\r", 5)), 5);
    EXPECT_EQ(reader.waitFor(5), QByteArray("\x00\x41\xff\n\r", 5));  // raw: nothing translated

    pty.writeMaster(QByteArray("\r\n\x11\x13z", 5));
    ASSERT_TRUE(waitUntil([&] { return comm.InQueCount() == 5; }));
    QByteArray s;
    EXPECT_EQ(comm.ReadString(16, s), 5);
    EXPECT_EQ(s, QByteArray("\r\n\x11\x13z", 5));
}

TEST_F(CommOnPty, ReceivedCharactersAreHandedToTheOwnerThread)
{
    std::atomic<int> total{0};
    Qt::HANDLE handlerThread = nullptr;
    comm.setMonitorEvents(evRxChar | evTxEmpty);
    comm.setOnRxChar([&](QObject *, int count) {
        handlerThread = QThread::currentThreadId();
        QByteArray s;
        for (int i = 0; i < count; ++i) {
            if (comm.ReadString(1, s) == 0)
                break;  // announced more than there was
            ++total;
        }
    });
    comm.Open();
    pty.writeMaster("hello");
    ASSERT_TRUE(processUntil([&] { return total == 5; }));
    EXPECT_EQ(handlerThread, QThread::currentThreadId());
}

TEST_F(CommOnPty, WithDontSynchronizeHandlersRunOnTheEventThread)
{
    std::atomic<Qt::HANDLE> handlerThread{nullptr};
    comm.setDontSynchronize(true);
    comm.setOnRxChar([&](QObject *, int count) {
        QByteArray s;
        comm.ReadString(count, s);
        handlerThread = QThread::currentThreadId();
    });
    comm.Open();
    pty.writeMaster("x");
    ASSERT_TRUE(waitUntil([&] { return handlerThread.load() != nullptr; }));
    EXPECT_NE(handlerThread.load(), QThread::currentThreadId());
}

TEST_F(CommOnPty, TransmitEmptyIsReportedAfterWrites)
{
    std::atomic<int> empties{0};
    comm.setMonitorEvents(evTxEmpty);
    comm.setOnTxEmpty([&](QObject *) { ++empties; });
    comm.Open();
    MasterReader reader(pty);
    comm.WriteString("abc");
    EXPECT_TRUE(processUntil([&] { return empties > 0; }));
}

TEST_F(CommOnPty, ClosingWhileABatchIsQueuedRunsItDuringTheClose)
{
    int handled = 0;
    comm.setOnRxChar([&](QObject *, int count) {
        QByteArray s;
        handled += comm.ReadString(count, s);
    });
    comm.Open();
    pty.writeMaster("queued");
    // No event loop runs here: the batch waits in the hand-over queue.
    ASSERT_TRUE(waitUntil([&] { return comm.pendingHandOvers() > 0; }));
    comm.Close();
    EXPECT_EQ(handled, 6);
    EXPECT_FALSE(comm.hasEventThread());
    EXPECT_EQ(comm.pendingHandOvers(), 0);
}

TEST_F(CommOnPty, ClosingWithNoTrafficEndsTheThreadAndDispatchesNothing)
{
    int handled = 0;
    comm.setOnRxChar([&](QObject *, int) { ++handled; });
    comm.setOnTxEmpty([&](QObject *) { ++handled; });
    const int threadsBefore = threadCount();
    comm.Open();
    EXPECT_EQ(threadCount(), threadsBefore + 1);
    comm.Close();
    EXPECT_TRUE(threadEnds(threadsBefore));
    QCoreApplication::processEvents();
    EXPECT_EQ(handled, 0);
}

TEST_F(CommOnPty, ThousandOpenCloseCyclesWithTrafficNeverHang)
{
    const int threadsBefore = threadCount();
    MasterReader reader(pty);
    int received = 0;
    comm.setOnRxChar([&](QObject *, int count) {
        QByteArray s;
        received += comm.ReadString(count, s);
    });
    for (int cycle = 0; cycle < 1000; ++cycle) {
        comm.Open();
        pty.writeMaster("r");
        comm.WriteString("w");
        if (cycle % 3 == 0)
            QCoreApplication::processEvents();
        comm.Close();
    }
    EXPECT_TRUE(threadEnds(threadsBefore + 1));  // the reader's thread only
    EXPECT_FALSE(comm.Active());
    EXPECT_GT(reader.waitFor(1000).size(), 0);
}

TEST_F(CommOnPty, OtherSideClosingMakesWritesFailWithoutASpinningThread)
{
    comm.setWriteTimeout(200);
    comm.Open();
    pty.closeMaster();
    bool failed = false;
    for (int i = 0; i < 100 && !failed; ++i) {
        try {
            comm.WriteString("x");
        } catch (const EComError &e) {
            failed = true;
            EXPECT_EQ(e.function(), u"WriteFile"_s);
            EXPECT_EQ(e.code(), EIO);
        }
    }
    EXPECT_TRUE(failed);
    EXPECT_TRUE(comm.Active());  // the port stays open until closed

    QByteArray s;
    EXPECT_THROW(comm.ReadString(1, s), EComError);

    // The event thread sleeps now: the process uses next to no CPU.
    const double before = processCpuSeconds();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(processCpuSeconds() - before, 0.2);
    comm.Close();
    EXPECT_FALSE(comm.hasEventThread());
}

TEST_F(CommOnPty, DestroyingAnOpenPortClosesIt)
{
    const int threadsBefore = threadCount();
    {
        TComm local;
        local.setDeviceName(pty.slavePath());
        local.Open();
        EXPECT_GE(local.Handle(), 0);
    }
    EXPECT_TRUE(threadEnds(threadsBefore));
    EXPECT_NO_THROW(comm.Open());  // the lock went with it
}

} // namespace
