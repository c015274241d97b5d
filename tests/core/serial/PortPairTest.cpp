// The serial port through the system's own COM ports: two ports that are the
// two ends of one line, named by ORAVELT_TEST_PORT_PAIR ("COM6,COM7").
// tools/windows/test.sh links Wine's COM6 and COM7 to the two ends of a
// pseudo-terminal pair; without the variable the tests are skipped (on Linux
// the port is tested on pseudo-terminals of its own).

#include "EventLoopWait.h"

#include "serial/CommHandle.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class PortPair : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QStringList names = qEnvironmentVariable("ORAVELT_TEST_PORT_PAIR").split(u',', Qt::SkipEmptyParts);
        if (names.size() != 2)
            GTEST_SKIP() << "ORAVELT_TEST_PORT_PAIR names no pair of ports";
        ensureCoreApplication();
        for (TComm *end : {&near, &far}) {
            end->setBaudrate(br4800);
            end->setDatabits(da8);
            end->setParity(paNone);
            end->setStopbits(sb20);
            end->setFlowControl(fcNone);
        }
        near.setDeviceName(names.at(0));
        far.setDeviceName(names.at(1));
        far.Open();
    }

    // What arrives at `end` until count bytes are there (or the time is up).
    static QByteArray receive(TComm &end, int count)
    {
        QByteArray all;
        processUntil([&] {
            QByteArray part;
            if (end.InQueCount() > 0 && end.ReadString(count - int(all.size()), part) > 0)
                all += part;
            return all.size() >= count;
        });
        return all;
    }

    TComm near;
    TComm far;
};

TEST_F(PortPair, BytesPassBothWaysUntranslated)
{
    near.Open();
    const QByteArray out("\x00\x41\xff\n\r\x11\x13\x1a", 8);
    EXPECT_EQ(near.WriteString(out), 8);
    EXPECT_EQ(receive(far, 8), out);
    EXPECT_EQ(far.WriteString("\r\nz"), 3);
    EXPECT_EQ(receive(near, 3), QByteArray("\r\nz"));
}

TEST_F(PortPair, ReadWithNothingReceivedReturnsAtOnce)
{
    near.setReadTimeout(600000);  // would hang the test if the read waited for it
    near.Open();
    char byte = 0;
    EXPECT_EQ(near.Read(&byte, 1), 0);
    EXPECT_EQ(near.InQueCount(), 0);
}

TEST_F(PortPair, ReceivedCharactersAreHandedToTheOwnerThread)
{
    int total = 0;
    Qt::HANDLE handlerThread = nullptr;
    near.setMonitorEvents(evRxChar | evTxEmpty);
    near.setOnRxChar([&](QObject *, int count) {
        handlerThread = QThread::currentThreadId();
        QByteArray s;
        total += near.ReadString(count, s);
    });
    near.Open();
    far.WriteString("hello");
    ASSERT_TRUE(processUntil([&] { return total == 5; }));
    EXPECT_EQ(handlerThread, QThread::currentThreadId());
}

TEST_F(PortPair, ModemLinesOfAVirtualPortCountAsSet)
{
    near.Open();
    // The sign's open routine: DTR cleared, RTS set.
    EXPECT_NO_THROW(near.SetSignal(siDtr, false));
    EXPECT_NO_THROW(near.SetSignal(siRts, true));
}

TEST_F(PortPair, SecondOpenOfAHeldPortFails)
{
    if (qEnvironmentVariableIsSet("ORAVELT_UNDER_WINE"))
        GTEST_SKIP() << "Wine opens a serial device for every caller: it does not enforce exclusive opening";
    near.Open();
    TComm second;
    second.setDeviceName(near.DeviceName());
    EXPECT_THROW(second.Open(), EComError);
    EXPECT_TRUE(near.Active());
}

TEST_F(PortPair, ReopeningManyTimesLeavesThePortUsable)
{
    for (int i = 0; i < 50; ++i) {
        near.Open();
        near.Close();
    }
    near.Open();
    ASSERT_EQ(near.WriteString("done"), 4);
    EXPECT_EQ(receive(far, 4), QByteArray("done"));
}

} // namespace
