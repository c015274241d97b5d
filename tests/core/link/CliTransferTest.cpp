// The command-line tool's upload and set-clock against a pseudo-terminal:
// exit statuses and the bytes the sign receives.

#include "DocumentBuilder.h"
#include "PseudoTerminal.h"

#include "document/sourcefile/SourceFileWriter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString cliPath()
{
    return QStringLiteral(ORAVELT_CLI);
}

struct CliRun {
    int exitCode = -1;
    QString errorText;
    QString outputText;
};

CliRun runCli(const QStringList &arguments, const QString &workingDirectory = {})
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(cliPath(), arguments);
    process.waitForFinished(120000);
    return CliRun{process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
               QString::fromUtf8(process.readAllStandardOutput())};
}

class CliOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(cliPath()))
            GTEST_SKIP() << "oravelt-cli is not built";
        ASSERT_TRUE(pty.isValid());
    }
    PseudoTerminal pty;
};

TEST_F(CliOnPty, UploadSendsTheProgramFromTheCurrentDirectory)
{
    QTemporaryDir dir;
    const QByteArray program = QByteArray::fromHex("41000102ff") + QByteArray(3000, 'q');
    {
        QFile file(dir.filePath(u"cmpres8.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(program);
    }
    MasterReader reader(pty);
    const CliRun run = runCli({u"upload"_s, u"--port"_s, pty.slavePath()}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.errorText.toStdString();
    EXPECT_TRUE(run.errorText.contains(u"all 4926 bytes sent"_s)) << run.errorText.toStdString();
    EXPECT_EQ(reader.waitFor(1921 + program.size()), QByteArray(1921, 'A') + program);
}

TEST_F(CliOnPty, UploadWithCheckLoadsWhatTheCheckWrote)
{
    QTemporaryDir dir;
    {
        QFile file(dir.filePath(u"message.abc"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(writeSourceBytes(DocumentBuilder().effect(0).text("AB").pause(3).build()));
    }
    MasterReader reader(pty);
    const CliRun run = runCli({u"upload"_s, u"--port"_s, pty.slavePath(), u"--check"_s, u"message.abc"_s,
                               u"--pressure"_s, u"0"_s, u"--humidity"_s, u"0"_s},
                              dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.errorText.toStdString();
    QFile program(dir.filePath(u"cmpres8.dat"_s));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray compiled = program.readAll();
    ASSERT_FALSE(compiled.isEmpty());
    EXPECT_EQ(reader.waitFor(1921 + compiled.size()), QByteArray(1921, 'A') + compiled);
}

TEST_F(CliOnPty, UploadWithCheckThatFindsAnErrorSendsNothingAndKeepsTheLastGoodProgram)
{
    QTemporaryDir dir;
    const QByteArray good = QByteArray::fromHex("0201000041420003" "0000");
    {
        QFile file(dir.filePath(u"cmpres8.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(good);
        QFile source(dir.filePath(u"broken.abc"_s));
        ASSERT_TRUE(source.open(QIODevice::WriteOnly));
        source.write(writeSourceBytes(DocumentBuilder().text("no effect before me").build()));
    }
    MasterReader reader(pty);
    const CliRun run = runCli({u"upload"_s, u"--port"_s, pty.slavePath(), u"--check"_s, u"broken.abc"_s,
                               u"--pressure"_s, u"0"_s, u"--humidity"_s, u"0"_s},
                              dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errorText.contains(u"nothing was sent"_s)) << run.errorText.toStdString();
    EXPECT_TRUE(reader.waitFor(1, std::chrono::milliseconds(300)).isEmpty());
    QFile program(dir.filePath(u"cmpres8.dat"_s));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    EXPECT_EQ(program.readAll(), good);
}

TEST_F(CliOnPty, UploadWithCheckOfAnUnreadableSourceSendsNothing)
{
    QTemporaryDir dir;
    MasterReader reader(pty);
    const CliRun run = runCli({u"upload"_s, u"--port"_s, pty.slavePath(), u"--check"_s, u"missing.abc"_s,
                               u"--pressure"_s, u"0"_s, u"--humidity"_s, u"0"_s},
                              dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(reader.waitFor(1, std::chrono::milliseconds(200)).isEmpty());
}

TEST_F(CliOnPty, AFarEndGoneMidLoadReportsTheProgramBytesSentAndExits1)
{
    QTemporaryDir dir;
    {
        QFile file(dir.filePath(u"cmpres8.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300000, 'p'));
    }
    MasterReader reader(pty, {.closeAfter = 6000});
    const CliRun run = runCli({u"upload"_s, u"--port"_s, pty.slavePath()}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    // The port takes bytes ahead of the far end, but never all of them.
    const QRegularExpression line(u"Upload failed after (\\d+) of 300000 program bytes \\((\\d+) of 301921 bytes"_s);
    const QRegularExpressionMatch match = line.match(run.errorText);
    ASSERT_TRUE(match.hasMatch()) << run.errorText.toStdString();
    const qint64 program = match.captured(1).toLongLong();
    EXPECT_GE(program, 6000 - 1921);
    EXPECT_LT(program, 300000);
    EXPECT_EQ(match.captured(2).toLongLong(), program + 1921);
    EXPECT_TRUE(run.errorText.contains(u"in function: WriteFile"_s)) << run.errorText.toStdString();
}

TEST_F(CliOnPty, SetClockSendsTheGivenMoment)
{
    MasterReader reader(pty);
    const CliRun run = runCli({u"set-clock"_s, u"--port"_s, pty.slavePath(), u"--at"_s, u"2000-01-01 00:00:00"_s});
    EXPECT_EQ(run.exitCode, 0) << run.errorText.toStdString();
    EXPECT_EQ(reader.waitFor(1927), QByteArray(1921, 'd') + QByteArray::fromHex("000101000000"));
}

TEST_F(CliOnPty, PortErrorsAndBadInputGiveTheirStatuses)
{
    QTemporaryDir dir;
    const CliRun missingPort = runCli({u"set-clock"_s, u"--port"_s, u"/dev/ttyOraveltMissing"_s});
    EXPECT_EQ(missingPort.exitCode, 1);
    EXPECT_TRUE(missingPort.errorText.contains(u"in function: CreateFile"_s)) << missingPort.errorText.toStdString();

    {
        QFile file(dir.filePath(u"cmpres8.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("abc");
    }
    const CliRun uploadToMissingPort = runCli({u"upload"_s, u"--port"_s, u"/dev/ttyOraveltMissing"_s}, dir.path());
    EXPECT_EQ(uploadToMissingPort.exitCode, 1);
    EXPECT_TRUE(uploadToMissingPort.errorText.startsWith(u"Upload failed after 0 of 3 program bytes"_s))
        << uploadToMissingPort.errorText.toStdString();
    QFile::remove(dir.filePath(u"cmpres8.dat"_s));

    const CliRun missingProgram = runCli({u"upload"_s, u"--port"_s, pty.slavePath()}, dir.path());
    EXPECT_EQ(missingProgram.exitCode, 2);
    EXPECT_TRUE(missingProgram.errorText.contains(u"Не найден результат проверки"_s));

    const CliRun noPort = runCli({u"upload"_s});
    EXPECT_EQ(noPort.exitCode, 2);
}

} // namespace
