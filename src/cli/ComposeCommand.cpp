// oravelt-cli compose MESSAGE.txt -o MESSAGE.abc [--check DIR]

#include "CheckJob.h"
#include "CliArguments.h"
#include "CliCommand.h"
#include "CliFiles.h"

#include "document/markup/MarkupReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int runCompose(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Makes a source file from a message written as markup (see the README for the markup):\n"
        "plain text is text, markers and pictures are written in braces, a line is a paragraph.\n"
        "With --check the message is also checked into DIR's cmpres8.dat and cmpres.bak; the\n"
        "calibration values come from --pressure and --humidity, or from sensor.ini in the work folder\n"
        "(see \"oravelt-cli --help\").\n"
        "Exit status: 0 written, 1 the check found an error in the message (cmpres8.dat is then left\n"
        "as it was), 2 the markup has an error\n"
        "(FILE:LINE:COLUMN: message; nothing is written), a file cannot be read or written, or the\n"
        "options are wrong."_s);
    parser.addPositionalArgument(u"markup"_s, u"The markup, UTF-8 text (- for standard input)."_s, u"MESSAGE.txt"_s);
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    u"The source file to write (- for standard output)."_s, u"MESSAGE.abc"_s);
    const QCommandLineOption check(u"check"_s, u"Also check the message into DIR/cmpres8.dat and DIR/cmpres.bak."_s,
                                   u"DIR"_s);
    const QCommandLineOption pressure(u"pressure"_s, u"Pressure sensor calibration value, with --check."_s,
                                      u"TEXT"_s);
    const QCommandLineOption humidity(u"humidity"_s, u"Humidity sensor calibration value, with --check."_s,
                                      u"TEXT"_s);
    parser.addOptions({output, check, pressure, humidity});
    if (const auto done = parseCommandArguments(parser, arguments, 1, 1))
        return *done;

    QTextStream err(stderr);
    const QString outputFile = parser.value(output);
    if (outputFile.isEmpty()) {
        err << u"oravelt-cli compose: -o MESSAGE.abc is missing (- writes to standard output)\n"_s;
        return CliUsage;
    }
    if ((parser.isSet(pressure) || parser.isSet(humidity)) && !parser.isSet(check)) {
        err << u"oravelt-cli compose: --pressure and --humidity go with --check DIR\n"_s;
        return CliUsage;
    }
    CheckJobOptions checkOptions;
    checkOptions.outputDirectory = parser.value(check);
    if (parser.isSet(pressure))
        checkOptions.pressure = parser.value(pressure);
    if (parser.isSet(humidity))
        checkOptions.humidity = parser.value(humidity);
    if (!checkJobOptionsValid(checkOptions, err))
        return CliUsage;

    const QString markupFile = parser.positionalArguments().at(0);
    const bool fromStandardInput = isStandardStream(markupFile);
    const QString shownName = fromStandardInput ? u"<stdin>"_s : markupFile;
    QString reason;
    const std::optional<QByteArray> markup = readInput(markupFile, &reason);
    if (!markup) {
        err << u"oravelt-cli: cannot read "_s << shownName << u": "_s << reason << u'\n';
        return CliUsage;
    }

    MarkupError error;
    const QString pictureDirectory =
        fromStandardInput ? QDir::currentPath() : QFileInfo(markupFile).absolutePath();
    const std::optional<ComposedMessage> message = readMarkup(*markup, pictureDirectory, &error);
    if (!message) {
        err << shownName << u':' << error.at.line << u':' << error.at.column << u": "_s << error.message << u'\n';
        return CliUsage;
    }
    if (!writeOutput(outputFile, writeSourceBytes(message->document), &reason)) {
        err << u"oravelt-cli: cannot write "_s << outputFile << u": "_s << reason << u'\n';
        return CliUsage;
    }
    if (!parser.isSet(check))
        return CliOk;

    // A check error points at the markup, where the message is edited.
    return runCheckJob(message->document, checkOptions, err, [&](const CheckError &e, QTextStream &to) {
        const MarkupPosition at = e.item >= 0 && size_t(e.item) < message->itemPositions.size()
                                      ? message->itemPositions[size_t(e.item)]
                                      : MarkupPosition{1, 1};
        to << shownName << u':' << at.line << u':' << at.column << u": "_s << e.message << u'\n';
    });
}

const CliCommandRegistrar registrar(
    CliCommand{u"compose"_s, u"Make a source file from a message written as markup"_s, runCompose});

} // namespace
