#include "PrivateXServer.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

PrivateXServer::~PrivateXServer()
{
    stop();
}

bool PrivateXServer::start(const QString &screen, QString *why)
{
    auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        stop();
        return false;
    };
    const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
    if (xvfb.isEmpty())
        return fail(u"Xvfb is not installed"_s);
    // -displayfd: Xvfb chooses the display and writes its number when ready.
    m_server.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s, u"0"_s, screen});
    if (!m_server.waitForStarted(5000))
        return fail(u"Xvfb does not start: "_s + m_server.errorString());
    QByteArray number;
    const QDeadlineTimer deadline(10000);
    while (!number.contains('\n') && !deadline.hasExpired() && m_server.state() == QProcess::Running) {
        m_server.waitForReadyRead(int(deadline.remainingTime()));
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return fail(u"Xvfb did not come up"_s);
    m_display = ':' + number.trimmed();
    return true;
}

void PrivateXServer::stop()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(3000)) {
            m_server.kill();
            m_server.waitForFinished(3000);
        }
    }
    m_display.clear();
}
