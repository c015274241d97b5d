// The upload's rules for the compiled program file.

#include "link/LinkMessages.h"
#include "link/ProgramFile.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(u"cmpres8.dat"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

TEST(ProgramFile, LargestProgramIsReadWhole)
{
    QTemporaryDir dir;
    QByteArray bytes(ProgramFile::MaxSize, 'x');
    bytes[0] = 'A';
    bytes[ProgramFile::MaxSize - 1] = '\xff';
    const ProgramFile file = ProgramFile::read(writeFile(dir, bytes));
    EXPECT_EQ(file.status, ProgramFile::Loaded);
    EXPECT_TRUE(file.hasPayload());
    EXPECT_EQ(file.bytes, bytes);
}

TEST(ProgramFile, OneByteMoreIsRefusedWithItsMessage)
{
    QTemporaryDir dir;
    const ProgramFile file = ProgramFile::read(writeFile(dir, QByteArray(ProgramFile::MaxSize + 1, 'x')));
    EXPECT_EQ(file.status, ProgramFile::TooLarge);
    EXPECT_TRUE(file.bytes.isEmpty());
    EXPECT_EQ(file.message, u"Размер данных результата проверки исходного текста слишком велик."_s);
}

TEST(ProgramFile, EmptyFileSendsNothingAndSaysNothing)
{
    QTemporaryDir dir;
    const ProgramFile file = ProgramFile::read(writeFile(dir, {}));
    EXPECT_EQ(file.status, ProgramFile::Empty);
    EXPECT_FALSE(file.hasPayload());
    EXPECT_TRUE(file.message.isEmpty());
}

TEST(ProgramFile, MissingFileAsksForACheck)
{
    QTemporaryDir dir;
    const ProgramFile file = ProgramFile::read(dir.filePath(u"cmpres8.dat"_s));
    EXPECT_EQ(file.status, ProgramFile::Missing);
    EXPECT_EQ(file.message,
              u"Не найден результат проверки исходного текста.\n\nВыполните проверку исходного текста."_s);
}

TEST(ProgramFile, UnreadableFileGivesTheFileError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cmpres8.dat"_s);
    ASSERT_TRUE(QDir().mkdir(path));  // a directory where the file should be
    const ProgramFile file = ProgramFile::read(path);
    EXPECT_EQ(file.status, ProgramFile::Unreadable);
    // The system's own code: EISDIR on Linux; Windows refuses a folder
    // opened as a file with "access denied".
    EXPECT_EQ(file.message, QSysInfo::kernelType() == u"winnt"_s ? u"File access denied"_s : u"I/O error 21"_s);
}

TEST(LinkMessages, CaptionsEndWithTheSuffix)
{
    EXPECT_EQ(LinkMessages::errorCaption(), u"Ошибка - Соединение - \"Oravelt\" XP/W7 v2.2.1 16.11.2011"_s);
}

} // namespace
