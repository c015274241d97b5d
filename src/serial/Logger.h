#pragma once

// TLogger: the sink for log lines of connections. Log() may be called from any
// thread; it is serialised by the logger's own Lock and, when set, by a
// SharedLock that several loggers share (always taken in that order). A
// logger that is closed but has AutoOpen set opens for each entry and closes
// again afterwards.
//
// Logging never makes the caller's write or read fail: any std::exception
// raised while opening, writing the entry or closing again ends at
// DoException (OnException). Exceptions outside that family propagate.

#include "Connection.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

class TLogger;
using TOnExceptionEvent = std::function<void(TLogger *Sender, const std::exception &E, const QString &aName,
                                             quint8 aChannel, const QByteArray &aOriginalMessage)>;
using TAcceptChannelEvent =
    std::function<void(TLogger *Sender, const QString &aLogName, quint8 aChannel, bool &aAccept)>;

// Log channels: data written by a connection and data read by it.
enum LogChannel : quint8 {
    LogChannelWrite = 1,
    LogChannelRead = 2,
};

class TLogger : public TConnection {
public:
    explicit TLogger(QObject *owner = nullptr);
    ~TLogger() override;

    void Log(const QString &aName, quint8 aChannel, const QByteArray &aText);

    bool AutoOpen() const { return m_autoOpen; }
    void setAutoOpen(bool value);  // CheckInactive first

    // Not owned; may be shared by several loggers. Null by default.
    QMutex *SharedLock() const { return m_sharedLock; }
    void setSharedLock(QMutex *lock) { m_sharedLock = lock; }

    void setOnException(TOnExceptionEvent handler) { m_onException = std::move(handler); }
    void setAcceptChannel(TAcceptChannelEvent handler) { m_acceptChannel = std::move(handler); }

protected:
    virtual void WriteLogText(const QString &text) = 0;
    virtual void LogEntry(const QString &aName, quint8 aChannel, const QByteArray &aText);
    virtual void FormatLogEntry(const QString &aName, quint8 aChannel, const QByteArray &aText,
                                QString &result) = 0;
    virtual void DoException(const std::exception &E, const QString &aName, quint8 aChannel,
                             const QByteArray &aText);

private:
    QMutex m_lock;
    QMutex *m_sharedLock = nullptr;
    bool m_autoOpen = false;
    TOnExceptionEvent m_onException;
    TAcceptChannelEvent m_acceptChannel;
};
