// The work folder rule: beside the executable when that folder can be
// written, otherwise the per-user folder, created and seeded with the
// installed sensor.ini; no home folder is an error that names the folder.

#include "workfolder/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include "QtPrinters.h"
#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

// Sets an environment variable for one scope, restoring it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<QByteArray> value)
        : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    ~ScopedEnv() { set(m_old); }

private:
    void set(const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }
    const char *m_name;
    std::optional<QByteArray> m_old;
};

} // namespace

TEST(WorkFolder, WritableExecutableFolderKeepsTheFilesBesideTheProgram)
{
    QTemporaryDir bin;
    QTemporaryDir home;
    ASSERT_TRUE(WorkFolder::isWritableFolder(bin.path()));
    const QString perUser = home.filePath(u"Oravelt"_s);
    const WorkFolder folder = WorkFolder::prepare({bin.path(), true, perUser});
    ASSERT_TRUE(folder.isValid()) << folder.error().toStdString();
    EXPECT_FALSE(folder.isPerUser());
    EXPECT_EQ(folder.path(), bin.path() + u'/');
    EXPECT_EQ(folder.programPath(), bin.filePath(u"cmpres8.dat"_s));
    EXPECT_EQ(folder.listingPath(), bin.filePath(u"cmpres.bak"_s));
    EXPECT_EQ(folder.settingsPath(), bin.filePath(u"sensor.ini"_s));
    EXPECT_FALSE(QFile::exists(perUser)) << "the per-user folder is only made when it is used";
    // The write probe leaves nothing behind.
    EXPECT_TRUE(QDir(bin.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST(WorkFolder, ReadOnlyExecutableFolderUsesTheSeededPerUserFolder)
{
    QTemporaryDir bin;
    QTemporaryDir home;
    // Installed read-only, as a package installs it.
    const QByteArray installed = "[sensor]\r\n1=17\r\n2=5\r\n";
    writeFile(bin.filePath(u"sensor.ini"_s), installed);
    QFile::setPermissions(bin.filePath(u"sensor.ini"_s), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString perUser = home.filePath(u".local/share/Oravelt"_s);

    const WorkFolder folder = WorkFolder::prepare({bin.path() + u'/', false, perUser});
    ASSERT_TRUE(folder.isValid()) << folder.error().toStdString();
    EXPECT_TRUE(folder.isPerUser());
    EXPECT_EQ(folder.path(), perUser + u'/');
    EXPECT_TRUE(QFileInfo(perUser).isDir());
    EXPECT_EQ(folder.programPath(), perUser + u"/cmpres8.dat"_s);
    EXPECT_EQ(readAll(folder.settingsPath()), installed);
    EXPECT_TRUE(QFile::permissions(folder.settingsPath()) & QFile::WriteOwner) << "the program writes it back";

    // The user's own values are never replaced by the installed ones again.
    writeFile(folder.settingsPath(), "[sensor]\r\n1=44\r\n2=0\r\n");
    ASSERT_TRUE(WorkFolder::prepare({bin.path(), false, perUser}).isValid());
    EXPECT_EQ(readAll(folder.settingsPath()), QByteArray("[sensor]\r\n1=44\r\n2=0\r\n"));

    // Without an installed sensor.ini the new folder starts without one.
    QTemporaryDir bare;
    const QString other = home.filePath(u"other/Oravelt"_s);
    ASSERT_TRUE(WorkFolder::prepare({bare.path(), false, other}).isValid());
    EXPECT_TRUE(QFileInfo(other).isDir());
    EXPECT_FALSE(QFile::exists(other + u"/sensor.ini"_s));
}

TEST(WorkFolder, NoUsableHomeIsAnErrorNamingTheFolder)
{
    QTemporaryDir bin;
    // No home folder at all: the executable's folder, which cannot be
    // written, is named, and nothing is written anywhere else.
    const WorkFolder none = WorkFolder::prepare({bin.path(), false, QString()});
    EXPECT_FALSE(none.isValid());
    EXPECT_TRUE(none.error().contains(QDir::toNativeSeparators(bin.path() + u'/'))) << none.error().toStdString();
    EXPECT_TRUE(none.error().contains(u"HOME"_s)) << none.error().toStdString();
    EXPECT_EQ(none.path(), bin.path() + u'/');

    // A home folder where the per-user folder cannot be made (a file stands
    // in its way).
    QTemporaryDir home;
    writeFile(home.filePath(u"blocked"_s), "x");
    const QString perUser = home.filePath(u"blocked/Oravelt"_s);
    const WorkFolder blocked = WorkFolder::prepare({bin.path(), false, perUser});
    EXPECT_FALSE(blocked.isValid());
    EXPECT_TRUE(blocked.error().contains(QDir::toNativeSeparators(perUser))) << blocked.error().toStdString();
}

TEST(WorkFolder, PerUserFolderIsTheProductsFolderInTheUsersDataFolder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_FALSE(data.isEmpty());
    EXPECT_EQ(WorkFolder::candidates().perUserFolder, QDir::cleanPath(data) + u"/Oravelt/"_s);
}

TEST(WorkFolder, PerUserFolderComesFromTheHomeFolder)
{
    if (QSysInfo::kernelType() == u"winnt"_s)
        GTEST_SKIP() << "Windows takes the data folder from the user's profile, not from HOME";
    QTemporaryDir home;
    ScopedEnv noDataHome("XDG_DATA_HOME", std::nullopt);
    {
        ScopedEnv setHome("HOME", home.path().toLocal8Bit());
        EXPECT_EQ(WorkFolder::candidates().perUserFolder, home.path() + u"/.local/share/Oravelt/"_s);
    }
    {
        ScopedEnv noHome("HOME", std::nullopt);
        EXPECT_TRUE(WorkFolder::candidates().perUserFolder.isEmpty());
    }
    {
        ScopedEnv emptyHome("HOME", QByteArray());
        EXPECT_TRUE(WorkFolder::candidates().perUserFolder.isEmpty());
    }
}

TEST(WorkFolder, WriteProbe)
{
    QTemporaryDir dir;
    EXPECT_TRUE(WorkFolder::isWritableFolder(dir.path()));
    EXPECT_FALSE(WorkFolder::isWritableFolder(dir.filePath(u"missing"_s)));
    writeFile(dir.filePath(u"file"_s), "x");
    EXPECT_FALSE(WorkFolder::isWritableFolder(dir.filePath(u"file"_s)));
    // A folder where no file can be made, even by root.
    EXPECT_FALSE(WorkFolder::isWritableFolder(u"/proc/self"_s));
    // Read-only by its permissions: the probe agrees with a real attempt
    // (root may write there all the same).
    const QString readOnly = dir.filePath(u"ro"_s);
    ASSERT_TRUE(QDir().mkdir(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    QFile attempt(readOnly + u"/attempt"_s);
    const bool canWrite = attempt.open(QIODevice::WriteOnly);
    attempt.remove();
    EXPECT_EQ(WorkFolder::isWritableFolder(readOnly), canWrite);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
