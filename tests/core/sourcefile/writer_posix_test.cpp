// Saving a source file that fails part-way: a file size limit makes the
// write fail (EFBIG) after some bytes, which only POSIX can arrange.

#include "SourceFileTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

TEST(WriteSourceFile, AFailurePartWayLeavesTheOldFileUntouched)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"message.abc"_s);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    SourceDocument big;
    for (int i = 0; i < 2000; ++i)
        big.append(SourceItem::textItem(QByteArray(100, 'x'), 0, 0));

    // Files may grow to 4 KiB only: the write fails part-way (EFBIG).
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    FileError error;
    const bool written = WriteSourceFile(path, big, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.reason.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"message.abc"_s});
}
