#pragma once

// Runs oravelt-cli (or another program) to its end, for the tests of the
// command-line tool, and reads and writes the files around it.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include "TestFiles.h"

struct CliRun {
    int status = -1;  // the exit code; -1 when the program crashed
    QByteArray out;
    QByteArray err;
};

// What the program is started with beyond its arguments.
struct CliInput {
    QByteArray standardInput;
    QString workingDirectory;  // empty: the test's own
};

inline CliRun runCli(const QStringList &arguments, const QString &program = QStringLiteral(ORAVELT_CLI),
                     const CliInput &input = {})
{
    QProcess process;
    if (!input.workingDirectory.isEmpty())
        process.setWorkingDirectory(input.workingDirectory);
    process.start(program, arguments);
    process.write(input.standardInput);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << process.errorString().toStdString();
    CliRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
