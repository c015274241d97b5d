#include "TransferConsole.h"

#include "CliCommand.h"
#include "Console.h"

#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString clockText(qint64 seconds)
{
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

} // namespace

void printError(const QString &text)
{
    QTextStream(stderr) << text << u'\n';
}

TransferConsole::TransferConsole(const QString &what, qint64 byteMicroseconds)
    : m_what(what)
    , m_byteMicroseconds(byteMicroseconds)
    , m_terminal(Console::standardErrorIsTerminal())
{
}

void TransferConsole::progress(const TransferProgress &progress)
{
    if (!m_terminal)
        return;
    if (m_lineShown && m_sinceShown.isValid() && m_sinceShown.elapsed() < 250 && progress.sent < progress.total)
        return;
    const qint64 left = (progress.total - progress.sent) * m_byteMicroseconds / 1'000'000;
    QString line = u"\r%1: %2 of %3 bytes sent, %4 left"_s.arg(m_what)
                       .arg(progress.sent)
                       .arg(progress.total)
                       .arg(clockText(left));
    if (progress.timedOut > 0)
        line += u", %1 timed out"_s.arg(progress.timedOut);
    QTextStream(stderr) << line << u"\x1b[K"_s;
    m_lineShown = true;
    m_sinceShown.start();
}

void TransferConsole::clearLine()
{
    if (m_lineShown)
        QTextStream(stderr) << u"\r\x1b[K"_s;
    m_lineShown = false;
}

int TransferConsole::finish(const TransferReport &report, const QString &device)
{
    clearLine();
    if (report.complete()) {
        printError(u"%1: all %2 bytes sent to %3."_s.arg(m_what).arg(report.sent).arg(device));
        return CliOk;
    }
    QString text = u"%1 incomplete: %2 of %3 bytes sent to %4"_s.arg(m_what)
                       .arg(report.sent - report.droppedAtClose)
                       .arg(report.total)
                       .arg(device);
    if (report.timedOut > 0)
        text += u"; %1 bytes were not taken by the port within the write time-out"_s.arg(report.timedOut);
    if (report.droppedAtClose > 0)
        text += u"; %1 bytes were still queued when the port closed"_s.arg(report.droppedAtClose);
    printError(text + u". The sign did not receive the whole transfer."_s);
    return CliProblem;
}

int TransferConsole::failed(const QString &message, const TransferReport &report)
{
    clearLine();
    printError(u"%1 failed after %2 of %3 bytes: %4"_s.arg(m_what).arg(report.sent).arg(report.total).arg(message));
    return CliProblem;
}

int TransferConsole::failedUpload(const QString &message, const TransferReport &report, qint64 programSize)
{
    clearLine();
    printError(u"%1 failed after %2 of %3 program bytes (%4 of %5 bytes with the preamble): %6"_s.arg(m_what)
                   .arg(report.payloadSent)
                   .arg(programSize)
                   .arg(report.sent)
                   .arg(report.total)
                   .arg(message));
    return CliProblem;
}
