#pragma once

// Subcommands of oravelt-cli. Each command lives in its own file and registers
// itself with a static CliCommandRegistrar, so main() needs no list of them.
//
// A command receives its own arguments (the program name and the command word
// already removed) and returns the process exit status:
//   0  the job is done;
//   1  the job ran and found a problem in what it was given (a document error,
//      a transfer that lost bytes, a port error);
//   2  the command could not run: bad options, unreadable or malformed input.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct CliCommand {
    QString name;
    QString summary;  // one line for the usage text
    std::function<int(const QStringList &arguments)> run;
};

class CliCommandRegistrar {
public:
    explicit CliCommandRegistrar(CliCommand command);
};

const std::vector<CliCommand> &cliCommands();

// Exit statuses shared by all commands.
enum CliExit : int {
    CliOk = 0,
    CliProblem = 1,
    CliUsage = 2,
};
