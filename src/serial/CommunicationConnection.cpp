#include "CommunicationConnection.h"

TCommunicationConnection::TCommunicationConnection(QObject *owner)
    : TLogConnection(owner)
{
}

int TCommunicationConnection::WriteString(const QByteArray &s)
{
    Log(LogChannelWrite, s);
    return Write(s.constData(), int(s.size()));
}

int TCommunicationConnection::ReadString(int count, QByteArray &s)
{
    s.resize(qMax(count, 0));
    const int got = count > 0 ? Read(s.data(), count) : 0;
    s.truncate(qMax(got, 0));
    Log(LogChannelRead, s);
    return int(s.size());
}

void TCommunicationConnection::DoRxChar(int count)
{
    if (m_onRxChar)
        m_onRxChar(this, count);
}
