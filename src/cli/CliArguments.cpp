#include "CliArguments.h"

#include "CliCommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// QCommandLineParser names the executable in its usage line; the command
// word belongs there too.
QString helpFor(const QCommandLineParser &parser, const QString &command)
{
    QString help = parser.helpText();
    const QString usage = u"Usage: "_s;
    const QString executable = QCoreApplication::arguments().value(0);
    if (!executable.isEmpty() && help.startsWith(usage + executable))
        help.replace(usage.size(), executable.size(), command);
    return help;
}

} // namespace

std::optional<int> parseCommandArguments(QCommandLineParser &parser, const QStringList &arguments,
                                         qsizetype minimumPositional, qsizetype maximumPositional)
{
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Show this help."_s);
    parser.addOption(help);
    QTextStream err(stderr);
    // "oravelt-cli COMMAND", whatever path the program was started by.
    const QString program = u"oravelt-cli "_s + arguments.value(0).section(u' ', -1);
    if (!parser.parse(arguments)) {
        err << program << u": "_s << parser.errorText() << u"\n\n"_s << helpFor(parser, program);
        return CliUsage;
    }
    if (parser.isSet(help)) {
        QTextStream(stdout) << helpFor(parser, program);
        return CliOk;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < minimumPositional || count > maximumPositional) {
        err << program << (count < minimumPositional ? u": missing arguments\n\n"_s : u": too many arguments\n\n"_s)
            << helpFor(parser, program);
        return CliUsage;
    }
    return std::nullopt;
}
