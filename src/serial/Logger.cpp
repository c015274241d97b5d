#include "Logger.h"

#include <optional>

TLogger::TLogger(QObject *owner)
    : TConnection(owner)
{
}

TLogger::~TLogger() = default;

void TLogger::setAutoOpen(bool value)
{
    CheckInactive();
    m_autoOpen = value;
}

void TLogger::Log(const QString &aName, quint8 aChannel, const QByteArray &aText)
{
    if (!Active() && !m_autoOpen)
        return;
    bool accept = true;
    if (m_acceptChannel)
        m_acceptChannel(this, aName, aChannel, accept);
    if (!accept)
        return;

    QMutexLocker ownLock(&m_lock);
    std::optional<QMutexLocker<QMutex>> sharedLock;
    if (m_sharedLock)
        sharedLock.emplace(m_sharedLock);

    const bool wasActive = Active();
    std::exception_ptr failure;
    try {
        Open();
        LogEntry(aName, aChannel, aText);
    } catch (const std::exception &) {
        failure = std::current_exception();
    } catch (...) {
        if (!wasActive && Active())
            Close();
        throw;
    }
    if (!wasActive && Active()) {
        try {
            Close();
        } catch (const std::exception &) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception &e) {
            DoException(e, aName, aChannel, aText);
        }
    }
}

void TLogger::LogEntry(const QString &aName, quint8 aChannel, const QByteArray &aText)
{
    QString line;
    FormatLogEntry(aName, aChannel, aText, line);
    WriteLogText(line);
}

void TLogger::DoException(const std::exception &E, const QString &aName, quint8 aChannel, const QByteArray &aText)
{
    if (m_onException)
        m_onException(this, E, aName, aChannel, aText);
}
