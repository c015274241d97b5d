#include "LogConnection.h"

TLogConnection::TLogConnection(QObject *owner)
    : TConnection(owner)
{
}

void TLogConnection::Log(quint8 aChannel, const QByteArray &aText)
{
    // Nothing to do for the common case of a port without a logger: the
    // formatting hook alone would only work on a throw-away copy.
    if (!m_onFormatLog && !m_logger)
        return;
    QByteArray copy = aText;
    DoFormatLog(aChannel, copy);
    if (TLogger *logger = m_logger)
        logger->Log(m_logName, aChannel, copy);
}

void TLogConnection::DoFormatLog(quint8 aChannel, QByteArray &aText)
{
    if (m_onFormatLog)
        m_onFormatLog(this, aChannel, aText);
}
