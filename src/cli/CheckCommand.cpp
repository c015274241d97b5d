// oravelt-cli check SOURCE.abc [-o DIR] [--pressure TEXT] [--humidity TEXT]

#include "CheckJob.h"
#include "CliArguments.h"
#include "CliCommand.h"

#include "workfolder/WorkFolder.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int runCheck(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Checks a source file and writes the compiled program cmpres8.dat and its listing cmpres.bak.\n"
        "Without --pressure and --humidity the calibration values come from sensor.ini in the work folder\n"
        "(%1), which is then updated with the values the compiled program carries.\n"
        "Exit status: 0 checked, 1 the document has an error (message and item number on stderr),\n"
        "2 the file cannot be read or the options are wrong."_s.arg(
            QDir::toNativeSeparators(WorkFolder::peek().path())));
    parser.addPositionalArgument(u"source"_s, u"The source file (*.abc)."_s, u"SOURCE.abc"_s);
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    u"Directory for cmpres8.dat and cmpres.bak (default: the current one)."_s,
                                    u"DIR"_s);
    const QCommandLineOption pressure(u"pressure"_s, u"Pressure sensor calibration value."_s, u"TEXT"_s);
    const QCommandLineOption humidity(u"humidity"_s, u"Humidity sensor calibration value."_s, u"TEXT"_s);
    parser.addOptions({output, pressure, humidity});
    if (const auto done = parseCommandArguments(parser, arguments, 1, 1))
        return *done;

    CheckJobOptions options;
    options.sourceFile = parser.positionalArguments().at(0);
    options.outputDirectory = parser.value(output);
    if (parser.isSet(pressure))
        options.pressure = parser.value(pressure);
    if (parser.isSet(humidity))
        options.humidity = parser.value(humidity);
    QTextStream err(stderr);
    return runCheckJob(options, err);
}

const CliCommandRegistrar registrar(
    CliCommand{u"check"_s, u"Check a source file and write cmpres8.dat and cmpres.bak"_s, runCheck});

} // namespace
