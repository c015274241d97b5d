// oravelt-cli normalize SOURCE.abc OUT.abc

#include "CliArguments.h"
#include "CliCommand.h"
#include "CliFiles.h"

#include "document/sourcefile/SourceFileWriter.h"

#include <QCommandLineParser>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int runNormalize(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Reads a source file and writes it again as this program writes source files\n"
        "(older versions and foreign forms come out in the current form).\n"
        "Exit status: 0 written, 2 the file cannot be read, is malformed, or cannot be written."_s);
    parser.addPositionalArgument(u"source"_s, u"The source file to read."_s, u"SOURCE.abc"_s);
    parser.addPositionalArgument(u"output"_s, u"The file to write (may be the same)."_s, u"OUT.abc"_s);
    if (const auto done = parseCommandArguments(parser, arguments, 2, 2))
        return *done;

    QTextStream err(stderr);
    const std::optional<SourceDocument> document = readSourceForCommand(parser.positionalArguments().at(0), err);
    if (!document)
        return CliUsage;
    FileError error;
    if (!WriteSourceFile(parser.positionalArguments().at(1), *document, &error)) {
        err << u"oravelt-cli: cannot write "_s << error.toString() << u'\n';
        return CliUsage;
    }
    return CliOk;
}

const CliCommandRegistrar registrar(
    CliCommand{u"normalize"_s, u"Read a source file and write it again in the current form"_s, runNormalize});

} // namespace
