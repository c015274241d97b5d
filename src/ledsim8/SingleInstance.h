#pragma once

// One simulator per program file: a second start hands its message to the
// running one through a local socket and ends, so pressing Preview again
// brings the running simulator up instead of opening another window.
//
// Threads: the user-interface thread.

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key: what makes two starts the same instance (the program file's path).
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);

    // True when a running instance took the message: this one should end.
    bool handOver(const QByteArray &message, int timeoutMilliseconds = 2000);
    // Becomes the instance that later starts hand over to. False when the
    // socket cannot be made; the simulator then runs on alone.
    bool listen();

    QString serverName() const { return m_name; }

signals:
    void messageReceived(const QByteArray &message);

private:
    QString m_name;
    QLocalServer m_server;
};
