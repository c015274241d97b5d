// oravelt-cli set-clock: sets the sign's clock.

#include "CliCommand.h"
#include "TransferConsole.h"

#include "link/DeviceLink.h"
#include "link/DeviceProtocol.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int runSetClock(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Sets the clock of the sign on the serial port PORT (a name from \"ports\", or a device path): to the "
        "computer's clock, read right before the clock is sent, or to the moment --at gives."_s);
    parser.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"The serial port of the sign."_s, u"PORT"_s);
    const QCommandLineOption at(u"at"_s, u"Send this moment instead of the computer's clock."_s,
                                u"YYYY-MM-DD HH:MM:SS"_s);
    parser.addOption(port);
    parser.addOption(at);
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return CliUsage;
    }
    if (parser.isSet(u"help"_s)) {
        QTextStream(stdout) << parser.helpText();
        return CliOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printError(u"set-clock takes no arguments"_s);
        return CliUsage;
    }
    if (!parser.isSet(port) || parser.value(port).isEmpty()) {
        printError(u"set-clock needs --port PORT (see \"oravelt-cli ports\")"_s);
        return CliUsage;
    }
    QDateTime fixed;
    if (parser.isSet(at)) {
        fixed = QDateTime::fromString(parser.value(at), u"yyyy-MM-dd HH:mm:ss"_s);
        if (!fixed.isValid()) {
            printError(u"--at wants a moment like \"2011-12-31 23:59:59\", not \"%1\""_s.arg(parser.value(at)));
            return CliUsage;
        }
    }

    TComm comm;
    DeviceLink link(comm);
    TransferConsole console(u"Clock"_s, DeviceProtocol::ByteTimeMicroseconds);
    link.setProgressHandler([&console](const TransferProgress &p) { console.progress(p); });
    QDateTime sent;
    try {
        const TransferReport report = link.setClock(parser.value(port), [&] {
            sent = fixed.isValid() ? fixed : QDateTime::currentDateTime();
            return sent;
        });
        const int status = console.finish(report, comm.DeviceName());
        if (status == CliOk)
            QTextStream(stdout) << u"Clock set to "_s << sent.toString(u"yyyy-MM-dd HH:mm:ss"_s) << u'\n';
        return status;
    } catch (const EConnectError &e) {
        return console.failed(e.message(), link.report());
    }
}

const CliCommandRegistrar registrar({u"set-clock"_s, u"Set the sign's clock over a serial port"_s, runSetClock});

} // namespace
