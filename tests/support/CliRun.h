#pragma once

// Runs oravelt-cli (or another program) to its end, for the tests of the
// command-line tool.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

struct CliRun {
    int status = -1;  // the exit code; -1 when the program crashed
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList &arguments, const QString &program = QStringLiteral(ORAVELT_CLI))
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << process.errorString().toStdString();
    CliRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
