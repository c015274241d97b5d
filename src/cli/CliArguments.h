#pragma once

// Parsing a command's arguments with QCommandLineParser without letting it
// end the process: errors go to standard error with the usage line, and the
// caller returns the exit status it is given.

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

// Adds --help, parses, and checks that the positional arguments number
// between minimum and maximum. Returns an exit status when the command is
// done already (help shown: 0; wrong arguments: 2), nothing when it may run.
std::optional<int> parseCommandArguments(QCommandLineParser &parser, const QStringList &arguments,
                                         qsizetype minimumPositional, qsizetype maximumPositional);
