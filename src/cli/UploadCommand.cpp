// oravelt-cli upload: loads a compiled program into one sign or several.

#include "CheckJob.h"
#include "CliArguments.h"
#include "CliCommand.h"
#include "SignTransfers.h"
#include "TransferConsole.h"

#include "link/DeviceLink.h"
#include "link/ProgramFile.h"
#include "workfolder/WorkFolder.h"

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
        "PORT: a name from \"ports\", a device path, or a network port tcp://HOST:PORT or rfc2217://HOST:PORT. "
        "With several ports the signs are loaded at the same time and a table tells how each went. A full "
        "program takes up to 21 minutes on the line.\n"
        "Exit status: 0 every sign got every byte, 1 a sign did not (the failed ports are named), "
        "2 bad options or no program to load."_s);
    const SignPortOptions ports;
    ports.addTo(parser);
    const QCommandLineOption check(u"check"_s,
                                   u"Check SOURCE first; its result, cmpres8.dat in the current directory, is then "
                                   "loaded. A check that finds an error loads nothing (exit status 1)."_s,
                                   u"SOURCE.abc"_s);
    parser.addOption(check);
    const QCommandLineOption pressure(u"pressure"_s,
                                      u"With --check: the pressure calibration value, instead of sensor.ini."_s,
                                      u"VALUE"_s);
    const QCommandLineOption humidity(u"humidity"_s,
                                      u"With --check: the humidity calibration value, instead of sensor.ini."_s,
                                      u"VALUE"_s);
    parser.addOption(pressure);
    parser.addOption(humidity);
    parser.addPositionalArgument(u"PROGRAM"_s, u"The compiled program to load (default: cmpres8.dat)."_s,
                                 u"[PROGRAM]"_s);
    if (const auto done = parseCommandArguments(parser, arguments, 0, 1))
        return *done;
    const QStringList positional = parser.positionalArguments();
    const std::optional<QStringList> signs = ports.ports(parser, u"upload"_s);
    if (!signs)
        return CliUsage;

    if (!parser.isSet(check) && (parser.isSet(pressure) || parser.isSet(humidity))) {
        printError(u"--pressure and --humidity belong to --check"_s);
        return CliUsage;
    }
    if (parser.isSet(check) && !positional.isEmpty()) {
        printError(u"upload --check loads the check's own result; leave out PROGRAM"_s);
        return CliUsage;
    }
    if (parser.isSet(check)) {
        CheckJobOptions options;
        options.sourceFile = parser.value(check);
        options.outputDirectory = QDir::currentPath();
        if (parser.isSet(pressure) != parser.isSet(humidity)) {
            printError(u"--pressure and --humidity go together"_s);
            return CliUsage;
        }
        if (parser.isSet(pressure)) {
            options.pressure = parser.value(pressure);
            options.humidity = parser.value(humidity);
        }
        QTextStream err(stderr);
        const int checked = runCheckJob(options, err);
        err.flush();
        // A source that cannot be read leaves nothing fresh to load; after a
        // document error cmpres8.dat still holds an earlier program, which is
        // not the message being checked.
        if (checked == CliUsage)
            return CliUsage;
        if (checked != CliOk) {
            printError(u"The check found an error in %1: nothing was sent."_s.arg(options.sourceFile));
            return CliProblem;
        }
    }

    const QString programPath = positional.isEmpty()
                                    ? QDir::current().filePath(QLatin1StringView(WorkFolder::ProgramFileName))
                                    : positional.first();
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

    const QByteArray bytes = program.bytes;
    return runOnSigns(
        u"Upload"_s, *signs, [bytes](DeviceLink &link, const QString &port) { return link.upload(port, bytes); },
        bytes.size());
}

const CliCommandRegistrar registrar({u"upload"_s, u"Load a compiled program into one sign or several"_s, runUpload});

} // namespace
