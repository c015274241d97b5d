#include "CliCommand.h"
#include "Console.h"
#include "OraveltVersion.h"
#include "workfolder/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

std::vector<CliCommand> &registry()
{
    static std::vector<CliCommand> commands;
    return commands;
}

void printUsage(FILE *to)
{
    QTextStream out(to);
    out << u"Usage: oravelt-cli COMMAND [OPTIONS] [ARGUMENTS]\n\nCommands:\n"_s;
    for (const CliCommand &command : cliCommands())
        out << u"  "_s << command.name.leftJustified(12) << command.summary << u'\n';
    out << u"\nRun \"oravelt-cli COMMAND --help\" for the options of a command.\n"_s;
    // Where sensor.ini is read and written, and where the editor keeps its
    // check results (check, compose and upload write theirs where told).
    const WorkFolder workFolder = WorkFolder::peek();
    out << u"\nWork folder (sensor.ini, and the editor's cmpres8.dat and cmpres.bak): "_s
        << QDir::toNativeSeparators(workFolder.path()) << u'\n';
    if (!workFolder.isValid())
        out << workFolder.error() << u'\n';
}

} // namespace

CliCommandRegistrar::CliCommandRegistrar(CliCommand command)
{
    auto &commands = registry();
    commands.push_back(std::move(command));
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand &a, const CliCommand &b) { return a.name < b.name; });
}

const std::vector<CliCommand> &cliCommands()
{
    return registry();
}

int main(int argc, char *argv[])
{
    Console::prepare();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"oravelt-cli"_s);
    QCoreApplication::setApplicationVersion(OraveltVersion::number());

    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        printUsage(stderr);
        return CliUsage;
    }
    const QString word = arguments.at(1);
    if (word == u"--help"_s || word == u"-h"_s || word == u"help"_s) {
        printUsage(stdout);
        return CliOk;
    }
    if (word == u"--version"_s) {
        QTextStream(stdout) << u"oravelt-cli "_s << OraveltVersion::number() << u'\n';
        return CliOk;
    }
    for (const CliCommand &command : cliCommands()) {
        if (command.name == word) {
            // QCommandLineParser expects the program name first; keep
            // "oravelt-cli COMMAND" there so its messages name the command.
            QStringList own = arguments.mid(2);
            own.prepend(arguments.at(0) + u' ' + word);
            return command.run(own);
        }
    }
    QTextStream(stderr) << u"oravelt-cli: unknown command \""_s << word << u"\"\n\n"_s;
    printUsage(stderr);
    return CliUsage;
}
