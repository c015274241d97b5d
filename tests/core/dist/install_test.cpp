// What "cmake --install" puts on a machine for running the sign unattended:
// the clock service and its timer, ready for systemd.

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The line of a unit file that sets `key`.
QString setting(const QString &unit, const QString &key)
{
    for (const QString &line : unit.split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return QString();
}

} // namespace

TEST(Install, PutsTheClockServiceAndItsTimerInPlace)
{
    QTemporaryDir prefix;
    // oravelt-cli is built at the top of the build tree.
    const QString buildDir = QFileInfo(QStringLiteral(ORAVELT_CLI)).absolutePath();
    QProcess cmake;
    cmake.start(u"cmake"_s, {u"--install"_s, buildDir, u"--prefix"_s, prefix.path()});
    ASSERT_TRUE(cmake.waitForFinished(120000));
    ASSERT_EQ(cmake.exitCode(), 0) << cmake.readAllStandardError().constData();

    const QDir units(prefix.filePath(u"lib/systemd/system"_s));
    const QString service = readText(units.filePath(u"oravelt-set-clock.service"_s));
    const QString timer = readText(units.filePath(u"oravelt-set-clock.timer"_s));
    ASSERT_FALSE(service.isEmpty());
    ASSERT_FALSE(timer.isEmpty());
    EXPECT_TRUE(QFile::exists(prefix.filePath(u"bin/oravelt-cli"_s)));

    const QString exec = setting(service, u"ExecStart"_s);
    EXPECT_TRUE(exec.startsWith(u'/')) << exec.toStdString();
    EXPECT_TRUE(exec.endsWith(u"/bin/oravelt-cli set-clock --port ${ORAVELT_PORT}"_s)) << exec.toStdString();
    EXPECT_EQ(setting(service, u"EnvironmentFile"_s), u"/etc/default/oravelt-sign"_s);
    EXPECT_FALSE(service.contains(u'@')) << "every placeholder is filled in";
    EXPECT_FALSE(setting(timer, u"OnBootSec"_s).isEmpty());
    EXPECT_EQ(setting(timer, u"OnCalendar"_s), u"*-*-* 03:00:00"_s);
    EXPECT_EQ(setting(timer, u"Unit"_s), u"oravelt-set-clock.service"_s);
}
