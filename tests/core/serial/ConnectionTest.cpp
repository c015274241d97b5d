// The open/close protocol of the connection chain, the logger, and the
// string helpers, on small in-memory connections.

#include "serial/CommunicationConnection.h"
#include "serial/Logger.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

class CountingConnection : public TConnection {
public:
    using TConnection::TConnection;
    ~CountingConnection() override { closeForDestruction(); }

    int opens = 0;
    int closes = 0;
    bool failOpen = false;
    int *closeCount = nullptr;

protected:
    void DoOpen() override
    {
        ++opens;
        if (failOpen)
            throw std::runtime_error("resource refused");
    }
    void DoClose() override
    {
        ++closes;
        if (closeCount)
            ++*closeCount;
    }
};

struct Notifications {
    int beforeOpen = 0, afterOpen = 0, beforeClose = 0, afterClose = 0;

    void attach(TConnection &connection)
    {
        connection.setBeforeOpen([this](TConnection *) { ++beforeOpen; });
        connection.setAfterOpen([this](TConnection *) { ++afterOpen; });
        connection.setBeforeClose([this](TConnection *) { ++beforeClose; });
        connection.setAfterClose([this](TConnection *) { ++afterClose; });
    }
};

TEST(Connection, OpeningTwiceOpensOnce)
{
    CountingConnection connection;
    Notifications seen;
    seen.attach(connection);
    connection.setActive(true);
    connection.setActive(true);
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(connection.opens, 1);
    EXPECT_EQ(seen.beforeOpen, 1);
    EXPECT_EQ(seen.afterOpen, 1);

    connection.Close();
    connection.Close();
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(connection.closes, 1);
    EXPECT_EQ(seen.beforeClose, 1);
    EXPECT_EQ(seen.afterClose, 1);
}

TEST(Connection, FailingOpenClosesOnceAndPassesTheErrorOn)
{
    CountingConnection connection;
    Notifications seen;
    seen.attach(connection);
    connection.failOpen = true;
    EXPECT_THROW(connection.Open(), std::runtime_error);
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(connection.closes, 1);
    EXPECT_EQ(seen.beforeOpen, 1);
    EXPECT_EQ(seen.afterOpen, 0);
}

TEST(Connection, DestroyingAnOpenConnectionClosesWithoutNotifications)
{
    Notifications seen;
    int closes = 0;
    auto *owner = new QObject;
    auto *connection = new CountingConnection(owner);
    connection->closeCount = &closes;
    seen.attach(*connection);
    connection->Open();
    delete owner;  // the owner frees what it owns
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(seen.beforeClose, 0);
    EXPECT_EQ(seen.afterClose, 0);
}

TEST(Connection, LoadingOnlyRemembersOpeningUntilLoaded)
{
    CountingConnection connection;
    connection.beginLoading();
    connection.setActive(true);
    EXPECT_FALSE(connection.Active());
    EXPECT_TRUE(connection.StreamedActive());
    EXPECT_EQ(connection.opens, 0);
    connection.setActive(false);  // ignored while loading
    connection.Loaded();
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(connection.opens, 1);
}

TEST(Connection, ActivityChecksRaiseTheirMessages)
{
    CountingConnection connection;
    try {
        connection.CheckActive();
        FAIL() << "no error while closed";
    } catch (const EConnectError &e) {
        EXPECT_EQ(e.message(), u"Connection is inactive"_s);
    }
    EXPECT_NO_THROW(connection.CheckInactive());
    connection.Open();
    try {
        connection.CheckInactive();
        FAIL() << "no error while open";
    } catch (const EConnectError &e) {
        EXPECT_EQ(e.message(), u"Connection is active"_s);
    }
}

TEST(ComError, MessageNamesCodeTextAndCall)
{
    const EComError error(2, u"No such file or directory. \n"_s, u"CreateFile"_s);
    EXPECT_EQ(error.message(), u"Error 2 No such file or directory in function: CreateFile"_s);
    EXPECT_STREQ(error.what(), "Error 2 No such file or directory in function: CreateFile");
    EXPECT_EQ(error.code(), 2);
    EXPECT_EQ(error.function(), u"CreateFile"_s);
    const EConnectError &base = error;  // a kind of connection error
    EXPECT_FALSE(base.message().isEmpty());
}

class MemoryLogger : public TLogger {
public:
    using TLogger::TLogger;
    ~MemoryLogger() override { closeForDestruction(); }

    QStringList lines;
    bool failEntry = false;
    bool failOpen = false;

protected:
    void DoOpen() override
    {
        if (failOpen)
            throw std::runtime_error("log file refused");
    }
    void DoClose() override {}
    void WriteLogText(const QString &text) override
    {
        if (failEntry)
            throw std::runtime_error("disk full");
        lines << text;
    }
    void FormatLogEntry(const QString &aName, quint8 aChannel, const QByteArray &aText, QString &result) override
    {
        result = u"%1/%2:%3"_s.arg(aName).arg(aChannel).arg(QString::fromLatin1(aText));
    }
};

TEST(Logger, ClosedLoggerWithoutAutoOpenLogsNothing)
{
    MemoryLogger logger;
    logger.Log(u"port"_s, LogChannelWrite, "x");
    EXPECT_TRUE(logger.lines.isEmpty());
}

TEST(Logger, AutoOpenLogsAndClosesAgain)
{
    MemoryLogger logger;
    logger.setAutoOpen(true);
    int opens = 0, closes = 0;
    logger.setAfterOpen([&opens](TConnection *) { ++opens; });
    logger.setAfterClose([&closes](TConnection *) { ++closes; });
    logger.Log(u"port"_s, LogChannelRead, "ab");
    EXPECT_EQ(logger.lines, QStringList{u"port/2:ab"_s});
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(logger.Active());
}

TEST(Logger, RefusedChannelIsNotLogged)
{
    MemoryLogger logger;
    logger.Open();
    logger.setAcceptChannel([](TLogger *, const QString &, quint8 channel, bool &accept) {
        accept = channel != LogChannelRead;
    });
    logger.Log(u"p"_s, LogChannelRead, "r");
    logger.Log(u"p"_s, LogChannelWrite, "w");
    EXPECT_EQ(logger.lines, QStringList{u"p/1:w"_s});
}

TEST(Logger, FailuresEndAtOnExceptionAndTheLoggerIsClosedAgain)
{
    MemoryLogger logger;
    logger.setAutoOpen(true);
    logger.failEntry = true;
    QString reported;
    QByteArray original;
    logger.setOnException([&](TLogger *, const std::exception &e, const QString &name, quint8, const QByteArray &text) {
        reported = name + u": "_s + QString::fromUtf8(e.what());
        original = text;
    });
    EXPECT_NO_THROW(logger.Log(u"port"_s, LogChannelWrite, "data"));
    EXPECT_EQ(reported, u"port: disk full"_s);
    EXPECT_EQ(original, QByteArray("data"));
    EXPECT_FALSE(logger.Active());

    // A failure to open ends there too.
    logger.failEntry = false;
    logger.failOpen = true;
    reported.clear();
    EXPECT_NO_THROW(logger.Log(u"port"_s, LogChannelWrite, "data"));
    EXPECT_EQ(reported, u"port: log file refused"_s);
    EXPECT_FALSE(logger.Active());
}

TEST(Logger, AutoOpenCannotChangeWhileOpen)
{
    MemoryLogger logger;
    logger.Open();
    EXPECT_THROW(logger.setAutoOpen(true), EConnectError);
    EXPECT_FALSE(logger.AutoOpen());
}

TEST(Logger, SharedLockIsTakenAndReleased)
{
    QMutex shared;
    MemoryLogger logger;
    logger.setSharedLock(&shared);
    logger.Open();
    logger.Log(u"p"_s, LogChannelWrite, "a");
    EXPECT_TRUE(shared.tryLock());  // released after the entry
    shared.unlock();
    EXPECT_EQ(logger.lines.size(), 1);
}

// A byte stream in memory: what was written, and what there is to read.
class MemoryStream : public TCommunicationConnection {
public:
    using TCommunicationConnection::TCommunicationConnection;
    ~MemoryStream() override { closeForDestruction(); }

    QByteArray written;
    QByteArray toRead;
    int writeCalls = 0;

    int InQueCount() override { return int(toRead.size()); }
    void PurgeIn() override { toRead.clear(); }
    void PurgeOut() override {}
    int Write(const char *buffer, int count) override
    {
        ++writeCalls;
        written.append(buffer, count);
        return count;
    }
    int Read(char *buffer, int count) override
    {
        const int n = qMin(count, int(toRead.size()));
        memcpy(buffer, toRead.constData(), size_t(n));
        toRead.remove(0, n);
        return n;
    }

protected:
    void DoOpen() override {}
    void DoClose() override {}
};

TEST(CommunicationConnection, WriteStringWritesExactlyTheBytesAndLogsThem)
{
    MemoryStream stream;
    EXPECT_EQ(stream.WriteString(QByteArray("A\0B", 3)), 3);
    EXPECT_EQ(stream.written, QByteArray("A\0B", 3));
    EXPECT_EQ(stream.WriteString({}), 0);
    EXPECT_EQ(stream.writeCalls, 2);  // the empty string is a zero-length write

    MemoryLogger logger;
    logger.Open();
    stream.setLogger(&logger);
    stream.setLogName(u"Comm1"_s);
    stream.setOnFormatLog([](TLogConnection *, quint8, QByteArray &text) { text.prepend('>'); });
    stream.WriteString("hi");
    EXPECT_EQ(logger.lines, QStringList{u"Comm1/1:>hi"_s});
    EXPECT_EQ(stream.written.right(2), QByteArray("hi"));  // formatting works on a copy
}

TEST(CommunicationConnection, ReadStringCutsToWhatArrivedAndLogsIt)
{
    MemoryStream stream;
    MemoryLogger logger;
    logger.Open();
    stream.setLogger(&logger);
    stream.setLogName(u"c"_s);
    stream.toRead = "xy";
    QByteArray s;
    EXPECT_EQ(stream.ReadString(5, s), 2);
    EXPECT_EQ(s, QByteArray("xy"));
    EXPECT_EQ(stream.ReadString(1, s), 0);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(logger.lines, (QStringList{u"c/2:xy"_s, u"c/2:"_s}));
}

TEST(CommunicationConnection, DestroyedLoggerIsNoLongerUsed)
{
    MemoryStream stream;
    {
        MemoryLogger logger;
        logger.Open();
        stream.setLogger(&logger);
    }
    EXPECT_EQ(stream.Logger(), nullptr);
    EXPECT_EQ(stream.WriteString("a"), 1);
}

} // namespace
