#pragma once

// TLogConnection: a connection whose traffic can be copied to a logger. The
// logger is not owned; it is held through a guarded pointer, so a logger that
// is destroyed first simply stops receiving entries.

#include "Logger.h"

#include <QPointer>

class TLogConnection;
using TFormatLogEvent = std::function<void(TLogConnection *Sender, quint8 aChannel, QByteArray &aText)>;

class TLogConnection : public TConnection {
public:
    explicit TLogConnection(QObject *owner = nullptr);

    TLogger *Logger() const { return m_logger; }
    void setLogger(TLogger *logger) { m_logger = logger; }
    const QString &LogName() const { return m_logName; }
    void setLogName(const QString &name) { m_logName = name; }
    void setOnFormatLog(TFormatLogEvent handler) { m_onFormatLog = std::move(handler); }

    // Formats a copy of aText (DoFormatLog) and hands it to the logger, if any.
    void Log(quint8 aChannel, const QByteArray &aText);

protected:
    virtual void DoFormatLog(quint8 aChannel, QByteArray &aText);

private:
    QPointer<TLogger> m_logger;
    TFormatLogEvent m_onFormatLog;
    QString m_logName;
};
