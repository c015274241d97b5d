// The two output files of a check: created at the start, put in place whole
// at the end, the previous files kept when anything fails, and the program
// put in place only by a check that succeeded.

#include "DocumentBuilder.h"

#include "compiler/CheckFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>

#include "QtPrinters.h"
#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

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

namespace {

// How a check can end, as the files see it: the check window's Esc and its
// close box both stop the walk, an exception unwinds past the files before
// any commit.
enum class Ending { Success, DocumentError, Stopped, WriteFailure, Exception, CannotCreate };

struct EndingCase {
    const char *name;
    Ending ending;
    bool previousProgram;  // a good program from an earlier check is there
};

void PrintTo(const EndingCase &c, std::ostream *os)
{
    *os << c.name << (c.previousProgram ? " after a good check" : " as the first check");
}

class CheckEnding : public ::testing::TestWithParam<EndingCase> {};

const QByteArray PreviousProgram("\x02\x01\x00\x00\x41\x00\x03\x00\x00", 9);

} // namespace

TEST_P(CheckEnding, OnlyASucceededCheckReplacesTheProgram)
{
    const EndingCase c = GetParam();
    QTemporaryDir dir;
    const QString directory =
        c.ending == Ending::CannotCreate ? dir.filePath(u"missing/sub"_s) : dir.path();
    CheckFiles probe(directory);
    if (c.previousProgram && c.ending != Ending::CannotCreate)
        writeFile(probe.programPath(), PreviousProgram);

    // A walk that ends as the case says: an error at the text after the
    // clear effect, or a stop after the first item.
    const SourceDocument document = c.ending == Ending::DocumentError
                                        ? DocumentBuilder().effect(0).text("AB").clear(0).text("CD").build()
                                        : DocumentBuilder().effect(0).text("AB").build();
    std::atomic<bool> stop{c.ending == Ending::Stopped};
    Compiler::Hooks hooks;
    hooks.abort = &stop;
    const CheckResult result = Compiler::compile(document, u"0"_s, u"0"_s, hooks);

    bool committed = false;
    {
        CheckFiles files(directory);
        const bool created = files.create();
        ASSERT_EQ(created, c.ending != Ending::CannotCreate);
        if (c.ending == Ending::WriteFailure) {
            // Something takes the listing's place while the check runs.
            ASSERT_TRUE(QDir(dir.path()).mkdir(u"cmpres.bak"_s));
        }
        if (c.ending != Ending::Exception)
            committed = files.commit(result);
    }

    const bool expectNew = c.ending == Ending::Success;
    EXPECT_EQ(committed, c.ending == Ending::Success || c.ending == Ending::DocumentError
                             || c.ending == Ending::Stopped);
    const QByteArray expected = expectNew ? result.program
                                : c.previousProgram && c.ending != Ending::CannotCreate ? PreviousProgram
                                                                                        : QByteArray("<missing>");
    EXPECT_EQ(readAll(probe.programPath()), expected);
    if (committed)
        EXPECT_EQ(readAll(probe.listingPath()), result.listing) << "the listing shows how far the check got";
    if (c.ending != Ending::CannotCreate) {
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(u"cmpres8.dat"_s);
        left.removeAll(u"cmpres.bak"_s);
        EXPECT_TRUE(left.isEmpty()) << "temporary files left: " << left.join(u' ').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryEnding, CheckEnding,
    ::testing::Values(EndingCase{"success", Ending::Success, false}, EndingCase{"success", Ending::Success, true},
                      EndingCase{"document error", Ending::DocumentError, false},
                      EndingCase{"document error", Ending::DocumentError, true},
                      EndingCase{"stopped", Ending::Stopped, false}, EndingCase{"stopped", Ending::Stopped, true},
                      EndingCase{"write failure", Ending::WriteFailure, false},
                      EndingCase{"write failure", Ending::WriteFailure, true},
                      EndingCase{"exception", Ending::Exception, false},
                      EndingCase{"exception", Ending::Exception, true},
                      EndingCase{"files cannot be created", Ending::CannotCreate, false}),
    [](const ::testing::TestParamInfo<EndingCase> &info) {
        std::string name = std::to_string(info.index) + "_";
        for (const char *p = info.param.name; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name + (info.param.previousProgram ? "_after_a_good_check" : "_first");
    });
