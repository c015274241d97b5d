// The two output files of a check: created at the start, put in place whole
// at the end, the previous files kept when anything fails.

#include "compiler/CheckFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

CheckResult someResult(const QByteArray &program)
{
    CheckResult r;
    r.program = program;
    r.listing = "listing of " + program.toHex() + "\r\n";
    return r;
}

} // namespace

TEST(CheckFiles, FileNamesInTheDirectory)
{
    CheckFiles files(u"/some/dir"_s);
    EXPECT_EQ(files.programPath(), u"/some/dir/cmpres8.dat"_s);
    EXPECT_EQ(files.listingPath(), u"/some/dir/cmpres.bak"_s);
    EXPECT_EQ(CheckFiles(u"/some/dir/"_s).programPath(), u"/some/dir/cmpres8.dat"_s);
}

TEST(CheckFiles, CommitWritesBothAndLeavesNoTemporaryFiles)
{
    QTemporaryDir dir;
    CheckFiles files(dir.path());
    QString error;
    ASSERT_TRUE(files.create(&error)) << error.toStdString();
    ASSERT_TRUE(files.commit(someResult(QByteArray("\x02\x01\x03\x00\x00", 5)), &error));
    EXPECT_EQ(readAll(files.programPath()), QByteArray("\x02\x01\x03\x00\x00", 5));
    EXPECT_EQ(readAll(files.listingPath()), "listing of 0201030000\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"cmpres.bak"_s, u"cmpres8.dat"_s}));
}

TEST(CheckFiles, PreviousFilesStayUntilTheCommit)
{
    QTemporaryDir dir;
    CheckFiles files(dir.path());
    writeFile(files.programPath(), "old program");
    writeFile(files.listingPath(), "old listing");
    ASSERT_TRUE(files.create());
    // Between start and end of a check a reader sees the previous result.
    EXPECT_EQ(readAll(files.programPath()), "old program");
    ASSERT_TRUE(files.commit(someResult("new")));
    EXPECT_EQ(readAll(files.programPath()), "new");
    EXPECT_EQ(readAll(files.listingPath()), "listing of 6e6577\r\n");
}

TEST(CheckFiles, CheckThatNeverCommitsLeavesTheOldFiles)
{
    QTemporaryDir dir;
    {
        CheckFiles files(dir.path());
        writeFile(files.programPath(), "old program");
        ASSERT_TRUE(files.create());
    }
    EXPECT_EQ(readAll(dir.filePath(u"cmpres8.dat"_s)), "old program");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"cmpres8.dat"_s});
}

TEST(CheckFiles, DirectoryThatCannotHoldTheFilesFailsAtCreate)
{
    QTemporaryDir dir;
    CheckFiles files(dir.filePath(u"missing/sub"_s));
    QString error;
    EXPECT_FALSE(files.create(&error));
    EXPECT_TRUE(error.contains(u"cmpres.bak"_s)) << error.toStdString();
    EXPECT_FALSE(files.commit(someResult("x"), &error));
}
