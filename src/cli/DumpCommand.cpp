// oravelt-cli dump SOURCE.abc

#include "CliArguments.h"
#include "CliCommand.h"
#include "CliFiles.h"
#include "DocumentJson.h"


#include <QCommandLineParser>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int runDump(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Prints a source file as JSON: its items, text and paragraph styles, background and layout.\n"
        "Exit status: 0 printed, 2 the file cannot be read or is malformed."_s);
    parser.addPositionalArgument(u"source"_s, u"The source file (*.abc)."_s, u"SOURCE.abc"_s);
    if (const auto done = parseCommandArguments(parser, arguments, 1, 1))
        return *done;

    QTextStream err(stderr);
    const std::optional<SourceDocument> document = readSourceForCommand(parser.positionalArguments().at(0), err);
    if (!document)
        return CliUsage;
    const QByteArray json = QJsonDocument(documentToJson(*document)).toJson(QJsonDocument::Indented);
    if (std::fwrite(json.constData(), 1, size_t(json.size()), stdout) != size_t(json.size()) || std::fflush(stdout)) {
        err << u"oravelt-cli: cannot write to standard output\n"_s;
        return CliUsage;
    }
    return CliOk;
}

const CliCommandRegistrar registrar(CliCommand{u"dump"_s, u"Print a source file as JSON"_s, runDump});

} // namespace
