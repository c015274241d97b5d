// oravelt-cli upload: loads a compiled program into the sign.

#include "CliCommand.h"
#include "TransferConsole.h"

#include "link/DeviceLink.h"
#include "link/DeviceProtocol.h"
#include "link/ProgramFile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int runUpload(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Loads the compiled program PROGRAM (by default cmpres8.dat in the current directory) into the sign on "
        "the serial port PORT (a name from \"ports\", or a device path). A full program takes up to 21 minutes "
        "on the line."_s);
    parser.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"The serial port of the sign."_s, u"PORT"_s);
    parser.addOption(port);
    parser.addPositionalArgument(u"PROGRAM"_s, u"The compiled program to load (default: cmpres8.dat)."_s,
                                 u"[PROGRAM]"_s);
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return CliUsage;
    }
    if (parser.isSet(u"help"_s)) {
        QTextStream(stdout) << parser.helpText();
        return CliOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        printError(u"upload takes one PROGRAM at most"_s);
        return CliUsage;
    }
    if (!parser.isSet(port) || parser.value(port).isEmpty()) {
        printError(u"upload needs --port PORT (see \"oravelt-cli ports\")"_s);
        return CliUsage;
    }

    const QString programPath = positional.isEmpty() ? QDir::current().filePath(u"cmpres8.dat"_s) : positional.first();
    const ProgramFile program = ProgramFile::read(programPath);
    switch (program.status) {
    case ProgramFile::Loaded:
        break;
    case ProgramFile::Empty:
        printError(u"%1 is empty: nothing was sent."_s.arg(programPath));
        return CliOk;
    case ProgramFile::Missing:
    case ProgramFile::TooLarge:
    case ProgramFile::Unreadable:
        printError(u"%1: %2"_s.arg(programPath, program.message));
        return CliUsage;
    }

    TComm comm;
    DeviceLink link(comm);
    TransferConsole console(u"Upload"_s, DeviceProtocol::ByteTimeMicroseconds);
    link.setProgressHandler([&console](const TransferProgress &p) { console.progress(p); });
    try {
        const TransferReport report = link.upload(parser.value(port), program.bytes);
        return console.finish(report, comm.DeviceName());
    } catch (const EConnectError &e) {
        return console.failed(e.message(), link.report());
    }
}

const CliCommandRegistrar registrar({u"upload"_s, u"Load a compiled program into the sign"_s, runUpload});

} // namespace
