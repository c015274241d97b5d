#pragma once

// An Xvfb of a test's own: it picks a free display number itself and says so
// once it accepts connections, so tests never meet a display of someone else.

#include <QByteArray>
#include <QProcess>
#include <QString>

class PrivateXServer {
public:
    PrivateXServer() = default;
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    // False, with the reason, when Xvfb is missing or does not come up.
    bool start(const QString &screen = QStringLiteral("640x480x24"), QString *why = nullptr);
    void stop();
    // ":N", once started.
    QByteArray display() const { return m_display; }

private:
    QProcess m_server;
    QByteArray m_display;
};
