#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

using namespace Qt::StringLiterals;

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent)
{
    // Per user (told apart by their home folders) and per key; the name must
    // be short enough for a socket path.
    const QByteArray hash
        = QCryptographicHash::hash((QDir::homePath() + u'\n' + key).toUtf8(), QCryptographicHash::Sha1);
    m_name = u"ledsim8-"_s + QString::fromLatin1(hash.toHex().left(16));
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    emit messageReceived(socket->readLine().trimmed());
            });
        }
    });
}

bool SingleInstance::handOver(const QByteArray &message, int timeoutMilliseconds)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMilliseconds))
        return false;
    socket.write(message + '\n');
    if (!socket.waitForBytesWritten(timeoutMilliseconds))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMilliseconds);
    return true;
}

bool SingleInstance::listen()
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name))
        return true;
    // A socket left behind by a simulator that did not end cleanly: nobody
    // answered handOver(), so it can go.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}
