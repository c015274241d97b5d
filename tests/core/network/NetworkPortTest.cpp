// Network ports: the address forms, the Telnet COM port codec on exact bytes,
// and loads and clock settings through ser2net (raw and RFC 2217) with the
// faults a network adds: a name that does not resolve, a refused connection,
// ser2net killed in the middle of a load, a far side that stops reading.

#include "Ser2net.h"
#include "TestProcess.h"

#include "link/DeviceLink.h"
#include "link/DeviceProtocol.h"
#include "serial/NetworkAddress.h"
#include "serial/TelnetComPort.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray testProgram()
{
    // 0xFF is Telnet's IAC: it must reach the sign once, not doubled.
    return QByteArray::fromHex("41ff00ffff0d0a") + QByteArray(40, 'p') + QByteArray::fromHex("fffaf0");
}

TEST(NetworkAddressTest, ParsesBothSchemesHostNamesAndBracketedIpv6)
{
    const auto raw = NetworkAddress::parse(u"tcp://sign-board.local:2001"_s);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->kind, NetworkAddress::Kind::RawTcp);
    EXPECT_EQ(raw->host, u"sign-board.local"_s);
    EXPECT_EQ(raw->port, 2001);

    const auto telnet = NetworkAddress::parse(u"RFC2217://[::1]:2000"_s);
    ASSERT_TRUE(telnet);
    EXPECT_EQ(telnet->kind, NetworkAddress::Kind::Rfc2217);
    EXPECT_EQ(telnet->host, u"::1"_s);
    EXPECT_EQ(telnet->toString(), u"rfc2217://[::1]:2000"_s);

    EXPECT_TRUE(NetworkAddress::isNetworkName(u"tcp://x"_s));
    EXPECT_FALSE(NetworkAddress::isNetworkName(u"/dev/ttyUSB0"_s));
    for (const QString &bad : {u"tcp://host"_s, u"tcp://:2000"_s, u"tcp://host:0"_s, u"tcp://host:65536"_s,
                               u"tcp://::1:2000"_s, u"rfc2217://[::1:2000"_s, u"tcp://host:20x"_s}) {
        QString error;
        EXPECT_FALSE(NetworkAddress::parse(bad, &error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    }
}

TEST(TelnetComPortTest, DataAndCommandsGoOutAsTheProtocolSpellsThem)
{
    EXPECT_EQ(Telnet::escapeData("a\xff" "b", 3), QByteArray::fromHex("61ffff62"));
    EXPECT_EQ(Telnet::comPortCommand(Telnet::ComPort::SetBaudrate, Telnet::baudrateValue(4800)),
              QByteArray::fromHex("fffa2c01000012c0fff0"));
    EXPECT_EQ(Telnet::comPortCommand(Telnet::ComPort::SetStopsize, QByteArray(1, '\x02')),
              QByteArray::fromHex("fffa2c0402fff0"));
    EXPECT_EQ(Telnet::clientGreeting(), QByteArray::fromHex("fffb2cfffb00fffd00"));
}

TEST(TelnetComPortTest, ReaderAnswersSer2netsGreetingOnceAndSplitsDataFromAnswers)
{
    Telnet::TelnetReader reader;
    QByteArray data;
    // What ser2net 4.3 sends on connecting: WILL SGA, DO SGA, WILL ECHO,
    // DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT-OPTION.
    const QByteArray greeting = QByteArray::fromHex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c");
    reader.feed(greeting.constData(), int(greeting.size()), &data);
    EXPECT_TRUE(data.isEmpty());
    EXPECT_TRUE(reader.comPortAccepted());
    // DO SGA, WILL SGA, DONT ECHO; the binary mode and the COM port option
    // answer what the greeting asked, so they get no reply.
    EXPECT_EQ(reader.takeReplies(), QByteArray::fromHex("fffd03fffb03fffe01"));
    // Repeated offers are not answered again.
    reader.feed(greeting.constData(), int(greeting.size()), &data);
    EXPECT_EQ(reader.takeReplies(), QByteArray::fromHex("fffe01"));

    // Data with a doubled IAC, the answer to the baud rate in the middle
    // (split across two reads), a NOP, more data.
    const QByteArray first = QByteArray::fromHex("41ffff42fffa2c6500");
    const QByteArray second = QByteArray::fromHex("0012c0fff0fff143");
    reader.feed(first.constData(), int(first.size()), &data);
    reader.feed(second.constData(), int(second.size()), &data);
    EXPECT_EQ(data, QByteArray::fromHex("41ff4243"));
    ASSERT_EQ(reader.answers().size(), 1u);
    EXPECT_EQ(reader.answers().front().command, Telnet::ComPort::SetBaudrate);
    EXPECT_EQ(reader.answers().front().value, QByteArray::fromHex("000012c0"));

    Telnet::TelnetReader refusing;
    const QByteArray dont = QByteArray::fromHex("fffe2c");
    refusing.feed(dont.constData(), int(dont.size()), &data);
    EXPECT_TRUE(refusing.comPortRefused());
}

class NetworkLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        if (!server.available())
            GTEST_SKIP() << server.skipReason().toStdString();
    }
    // Once the test's own helpers (the sign's reader) are running.
    void markBaseline()
    {
        descriptorsBefore = openDescriptorCount();
        threadsBefore = threadCount();
    }
    void expectNothingLeft()
    {
        EXPECT_FALSE(comm.Active());
        EXPECT_FALSE(comm.hasEventThread());
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
        // A joined thread leaves the task list a moment after it reported
        // its end: the count may take that moment to settle.
        QDeadlineTimer settled(5000);
        while (threadCount() > threadsBefore && !settled.hasExpired())
            QThread::msleep(5);
        EXPECT_EQ(threadCount(), threadsBefore) << threadNames().toStdString();
    }

    Ser2net server;
    int descriptorsBefore = 0;
    int threadsBefore = 0;
    TComm comm;
    DeviceLink link{comm};
};

TEST_F(NetworkLoad, Rfc2217LoadSetsTheFarLineAndDeliversExactlyTheBytes)
{
    PathReader sign(server.signPath());
    ASSERT_TRUE(sign.isValid());
    markBaseline();
    QString settings;
    link.setProgressHandler([&](const TransferProgress &progress) {
        if (settings.isEmpty() && progress.sent > 0)
            settings = server.stty();
    });
    const QByteArray program = testProgram();
    const TransferReport report = link.upload(server.rfc2217Address(), program);
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(sign.waitFor(1921 + program.size()), QByteArray(1921, 'A') + program);
    EXPECT_TRUE(settings.contains(u"speed 4800 baud"_s)) << settings.toStdString();
    const QStringList flags = settings.split(QRegularExpression(u"[\\s;]+"_s));
    for (const QString &flag : {u"cs8"_s, u"-parenb"_s, u"cstopb"_s})
        EXPECT_TRUE(flags.contains(flag)) << flag.toStdString() << settings.toStdString();
    expectNothingLeft();
}

TEST_F(NetworkLoad, RawClockSettingWaitsForTheFarLineBeforeReadingTheClock)
{
    PathReader sign(server.signPath());
    markBaseline();
    QElapsedTimer timer;
    timer.start();
    qint64 readAtMs = 0;
    const TransferReport report = link.setClock(server.rawAddress(), [&] {
        readAtMs = timer.elapsed();
        return QDateTime(QDate(2011, 12, 31), QTime(23, 59, 59));
    });
    EXPECT_TRUE(report.complete());
    // The preamble's line time, not the moment the socket took it.
    EXPECT_GE(readAtMs, DeviceProtocol::lineTimeMilliseconds(1921) - 50);
    EXPECT_EQ(sign.waitFor(1927), QByteArray(1921, 'd') + QByteArray::fromHex("0b0c1f173b3b"));
    expectNothingLeft();
}

TEST_F(NetworkLoad, Ser2netKilledMidLoadIsAPortErrorWithWhatWentOut)
{
    PathReader sign(server.signPath());
    markBaseline();
    bool killed = false;
    link.setProgressHandler([&](const TransferProgress &progress) {
        if (!killed && progress.phase == TransferPhase::Program && progress.sent >= 1921 + 200) {
            server.kill();
            killed = true;
        }
    });
    bool failed = false;
    try {
        link.upload(server.rawAddress(), QByteArray(2000, 'x'));
    } catch (const EComError &e) {
        failed = true;
        EXPECT_EQ(e.function(), u"WriteFile"_s);
    }
    EXPECT_TRUE(failed);
    EXPECT_GE(link.report().payloadSent, 200);
    EXPECT_LT(link.report().payloadSent, 2000);
    link.purgeAndClose();
    expectNothingLeft();
}

TEST_F(NetworkLoad, StopEndsAnRfc2217LoadAfterTheByteInHandAndClosesCleanly)
{
    PathReader sign(server.signPath());
    markBaseline();
    const QByteArray program(3000, 's');
    link.openPort(server.rfc2217Address());
    link.write(TransferPlan::programLoad(program), [&] { return link.report().payloadSent >= 100; });
    const TransferReport report = link.report();
    link.purgeAndClose();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.payloadSent, 100);
    // What the network held ahead of the line is at most the short queue.
    EXPECT_LE(report.queuedAtStop, 256);
    EXPECT_LE(sign.waitFor(1921 + 100, 2s).size(), 1921 + 100);
    expectNothingLeft();
}

TEST(NetworkFaults, UnresolvableRefusedAndStalledFarSidesEndCleanly)
{
    ensureCoreApplication();
    const int descriptors = openDescriptorCount();
    const int threads = threadCount();
    TComm comm;
    DeviceLink link(comm);
    auto openError = [&](const QString &name) {
        try {
            link.openPort(name);
        } catch (const EComError &e) {
            EXPECT_FALSE(comm.Active());
            EXPECT_FALSE(comm.hasEventThread());
            return e.message();
        }
        return QString();
    };
    const QString unresolved = openError(u"tcp://oravelt-sign.invalid:2000"_s);
    EXPECT_TRUE(unresolved.contains(u"oravelt-sign.invalid"_s)) << unresolved.toStdString();
    EXPECT_TRUE(unresolved.endsWith(u"in function: CreateFile"_s)) << unresolved.toStdString();

    const QString refused = openError(u"rfc2217://127.0.0.1:%1"_s.arg(freeLocalPort()));
    EXPECT_TRUE(refused.contains(u"Connection refused"_s)) << refused.toStdString();

    // A raw port is not an RFC 2217 server: no answer to the option.
    {
        StalledListener silent;
        const QString noTelnet = openError(u"rfc2217://localhost:%1"_s.arg(silent.port()));
        EXPECT_TRUE(noTelnet.contains(u"COM port control option"_s)) << noTelnet.toStdString();
    }

    // A far side that stops reading: once its buffers are full, a write
    // times out and takes nothing, as on a blocked local line; when it reads
    // again, writing goes on. (A fast line, so that the buffers fill soon.)
    {
        StalledListener stalled;
        comm.setDeviceName(stalled.address());
        comm.setBaudrate(br115200);
        comm.setWriteTimeout(100);
        comm.Open();
        int taken = 0;
        int written = 1;
        while (written == 1 && taken < 1'000'000) {
            written = comm.WriteString(QByteArray(1, 'x'));
            taken += written;
        }
        EXPECT_EQ(written, 0);
        std::cerr << "taken before the far side blocked: " << taken << '\n';
        // The far side drains its buffers in its own time; a write may time
        // out again before there is room.
        stalled.setReading(true);
        int resumed = 0;
        for (int attempt = 0; attempt < 50 && resumed == 0; ++attempt)
            resumed = comm.WriteString(QByteArray(1, 'y'));
        EXPECT_EQ(resumed, 1);
        comm.Close();
    }
    EXPECT_EQ(openDescriptorCount(), descriptors);
    EXPECT_EQ(threadCount(), threads);
}

} // namespace
