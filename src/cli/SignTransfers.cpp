#include "SignTransfers.h"

#include "CliCommand.h"
#include "Console.h"
#include "TransferConsole.h"

#include "link/DeviceProtocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>


using namespace Qt::StringLiterals;

namespace {

QString clockText(qint64 milliseconds)
{
    const qint64 seconds = (milliseconds + 500) / 1000;
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

// What one sign's thread shares with the thread that shows the progress.
struct SignSlot {
    QString port;
    std::mutex mutex;
    TransferProgress progress;
    bool done = false;
    // Written by the sign's thread before done; read after the join.
    TransferReport report;
    QString error;
    qint64 milliseconds = 0;
};

void runSign(SignSlot &slot, const SignTransfer &transfer)
{
    QElapsedTimer timer;
    timer.start();
    {
        // Port and link belong to this thread, as on a single sign they
        // belong to the main one.
        TComm comm;
        DeviceLink link(comm);
        link.setProgressHandler([&slot](const TransferProgress &progress) {
            std::lock_guard guard(slot.mutex);
            slot.progress = progress;
        });
        try {
            slot.report = transfer(link, slot.port);
        } catch (const EConnectError &e) {
            slot.error = e.message();
            slot.report = link.report();
            try {
                link.purgeAndClose();
            } catch (const EConnectError &) {
                // The port goes with its component below in any case.
            }
        }
    }
    slot.milliseconds = timer.elapsed();
    std::lock_guard guard(slot.mutex);
    slot.done = true;
}

QString progressLine(const QString &what, SignSlot &slot, int width)
{
    std::lock_guard guard(slot.mutex);
    const TransferProgress &p = slot.progress;
    QString line = slot.port.leftJustified(width) + u"  "_s;
    if (slot.done)
        return line + (slot.error.isEmpty() ? u"done"_s : u"failed"_s);
    line += u"%1: %2 of %3 bytes sent, %4 left"_s.arg(what)
                .arg(p.sent)
                .arg(p.total)
                .arg(clockText(p.millisecondsLeft()));
    if (p.timedOut > 0)
        line += u", %1 timed out"_s.arg(p.timedOut);
    return line;
}

QString resultText(const SignSlot &slot, qint64 programSize)
{
    if (!slot.error.isEmpty()) {
        QString text = u"failed: "_s + slot.error;
        if (programSize > 0)
            text += u" (%1 of %2 program bytes sent)"_s.arg(slot.report.payloadSent).arg(programSize);
        return text;
    }
    if (slot.report.complete())
        return u"ok"_s;
    return u"incomplete"_s;
}

} // namespace

SignPortOptions::SignPortOptions()
    : port(u"port"_s,
           u"The port of the sign: a name from \"ports\", a device path, tcp://HOST:PORT or rfc2217://HOST:PORT. "
           "Give it several times to reach several signs at once."_s,
           u"PORT"_s)
    , portsFrom(u"ports-from"_s, u"Read further ports from FILE, one a line (# starts a comment)."_s, u"FILE"_s)
{
}

void SignPortOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOption(port);
    parser.addOption(portsFrom);
}

QStringList parsePortsFile(const QByteArray &text)
{
    QStringList ports;
    for (const QByteArray &raw : text.split('\n')) {
        QString line = QString::fromUtf8(raw);
        const qsizetype hash = line.indexOf(u'#');
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (!line.isEmpty())
            ports << line;
    }
    return ports;
}

std::optional<QStringList> SignPortOptions::ports(const QCommandLineParser &parser, const QString &command) const
{
    QStringList found;
    for (const QString &value : parser.values(port)) {
        if (value.trimmed().isEmpty()) {
            printError(u"%1: --port wants a port name"_s.arg(command));
            return std::nullopt;
        }
        found << value.trimmed();
    }
    for (const QString &path : parser.values(portsFrom)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(u"%1: cannot read the ports file %2: %3"_s.arg(command, path, file.errorString()));
            return std::nullopt;
        }
        found << parsePortsFile(file.readAll());
    }
    if (found.isEmpty()) {
        printError(u"%1 needs --port PORT or --ports-from FILE (see \"oravelt-cli ports\")"_s.arg(command));
        return std::nullopt;
    }
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (found.indexOf(found.at(i), i + 1) > i) {
            printError(u"%1: the port %2 is given twice"_s.arg(command, found.at(i)));
            return std::nullopt;
        }
    }
    return found;
}

int runOnSigns(const QString &what, const QStringList &ports, const SignTransfer &transfer, qint64 programSize)
{
    if (ports.size() == 1) {
        TComm comm;
        DeviceLink link(comm);
        TransferConsole console(what, DeviceProtocol::ByteTimeMicroseconds);
        link.setProgressHandler([&console](const TransferProgress &p) { console.progress(p); });
        try {
            const TransferReport report = transfer(link, ports.first());
            return console.finish(report, comm.DeviceName());
        } catch (const EConnectError &e) {
            if (programSize > 0)
                return console.failedUpload(e.message(), link.report(), programSize);
            return console.failed(e.message(), link.report());
        }
    }

    std::vector<std::unique_ptr<SignSlot>> signs;
    int width = 4;
    for (const QString &port : ports) {
        signs.push_back(std::make_unique<SignSlot>());
        signs.back()->port = port;
        width = qMax(width, int(port.size()));
    }
    std::vector<std::thread> threads;
    threads.reserve(signs.size());
    for (const auto &slot : signs)
        threads.emplace_back([&slot, &transfer] { runSign(*slot, transfer); });

    const bool terminal = Console::standardErrorIsTerminal();
    bool shown = false;
    auto allDone = [&signs] {
        for (const auto &slot : signs) {
            std::lock_guard guard(slot->mutex);
            if (!slot->done)
                return false;
        }
        return true;
    };
    for (;;) {
        const bool finished = allDone();
        if (terminal) {
            QTextStream err(stderr);
            if (shown)
                err << u"\x1b[%1A"_s.arg(signs.size());
            for (const auto &slot : signs)
                err << u'\r' << progressLine(what, *slot, width) << u"\x1b[K\n"_s;
            shown = true;
        }
        if (finished)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    for (std::thread &thread : threads)
        thread.join();

    QTextStream out(stdout);
    const QString header = u"Port"_s.leftJustified(width);
    out << header << u"  "_s << u"Bytes sent"_s.rightJustified(15) << u"  "_s << u"Lost"_s.rightJustified(6)
        << u"  "_s << u"Time"_s.rightJustified(6) << u"  Result\n"_s;
    QStringList failed;
    for (const auto &slot : signs) {
        const TransferReport &r = slot->report;
        const qint64 total = r.total > 0 ? r.total : 0;
        const qint64 lost = r.timedOut + r.droppedAtClose;
        out << slot->port.leftJustified(width) << u"  "_s
            << u"%1 of %2"_s.arg(r.sent - r.droppedAtClose).arg(total).rightJustified(15) << u"  "_s
            << QString::number(lost).rightJustified(6) << u"  "_s << clockText(slot->milliseconds).rightJustified(6)
            << u"  "_s << resultText(*slot, programSize) << u'\n';
        if (!slot->error.isEmpty() || !r.complete())
            failed << slot->port;
    }
    out.flush();
    if (failed.isEmpty()) {
        printError(u"%1: every byte sent to all %2 signs."_s.arg(what).arg(signs.size()));
        return CliOk;
    }
    QString text = u"%1 failed on %2 of %3 signs: %4."_s.arg(what)
                       .arg(failed.size())
                       .arg(signs.size())
                       .arg(failed.join(u", "_s));
    if (failed.size() < qsizetype(signs.size()))
        text += u" The other signs got every byte."_s;
    printError(text);
    return CliProblem;
}
