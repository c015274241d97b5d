// oravelt-cli markup MESSAGE.abc [-o MESSAGE.txt]

#include "CliArguments.h"
#include "CliCommand.h"
#include "CliFiles.h"

#include "document/streams/ClassRegistry.h"
#include "document/markup/MarkupWriter.h"
#include "document/sourcefile/SourceFileReader.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int runMarkup(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Writes a source file as markup, the text that \"compose\" reads back. Pictures are written as\n"
        "numbered bitmap files beside the output (MESSAGE-1.bmp, ...; in the current directory, named\n"
        "after the source file, when the markup goes to standard output). What markup cannot hold is\n"
        "left out with a warning on standard error and a comment in the markup.\n"
        "Exit status: 0 written, 2 the file cannot be read, is malformed, or cannot be written."_s);
    parser.addPositionalArgument(u"source"_s, u"The source file (- for standard input)."_s, u"MESSAGE.abc"_s);
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    u"The markup file to write (default: standard output)."_s, u"MESSAGE.txt"_s);
    parser.addOption(output);
    if (const auto done = parseCommandArguments(parser, arguments, 1, 1))
        return *done;

    QTextStream err(stderr);
    const QString sourceFile = parser.positionalArguments().at(0);
    const QString shownName = isStandardStream(sourceFile) ? u"<stdin>"_s : sourceFile;
    QString reason;
    const std::optional<QByteArray> bytes = readInput(sourceFile, &reason);
    if (!bytes) {
        err << u"oravelt-cli: cannot read "_s << shownName << u": "_s << reason << u'\n';
        return CliUsage;
    }
    ClassRegistry::registerStandardClasses();
    SourceDocument document;
    FileError error;
    if (!readSourceBytes(*bytes, document, &error)) {
        error.fileName = shownName;
        err << u"oravelt-cli: cannot read "_s << error.toString() << u'\n';
        return CliUsage;
    }

    const QString outputFile = parser.isSet(output) ? parser.value(output) : u"-"_s;
    const bool toStandardOutput = isStandardStream(outputFile);
    const QDir pictureDirectory = toStandardOutput ? QDir::current() : QFileInfo(outputFile).absoluteDir();
    const QString stem = !toStandardOutput                    ? QFileInfo(outputFile).completeBaseName()
                         : isStandardStream(sourceFile)       ? u"message"_s
                                                              : QFileInfo(sourceFile).completeBaseName();
    const WrittenMarkup markup = writeMarkup(document, stem);

    // The pictures first, so that markup on disk never names a missing one.
    for (const MarkupPicture &picture : markup.pictures) {
        const QString path = pictureDirectory.filePath(picture.fileName);
        if (!writeOutput(path, picture.bytes, &reason)) {
            err << u"oravelt-cli: cannot write "_s << path << u": "_s << reason << u'\n';
            return CliUsage;
        }
    }
    if (!writeOutput(outputFile, markup.text, &reason)) {
        err << u"oravelt-cli: cannot write "_s << outputFile << u": "_s << reason << u'\n';
        return CliUsage;
    }
    for (const MarkupWarning &warning : markup.warnings)
        err << shownName << u": warning: item "_s << warning.item << u": "_s << warning.message << u'\n';
    return CliOk;
}

const CliCommandRegistrar registrar(
    CliCommand{u"markup"_s, u"Write a source file as markup, the text compose reads"_s, runMarkup});

} // namespace
