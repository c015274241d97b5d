#include "WorkFolder.h"

#include "ExecutableDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

QString withSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString shown(const QString &folder)
{
    return QDir::toNativeSeparators(folder);
}

} // namespace

WorkFolder WorkFolder::decide(const Candidates &candidates)
{
    WorkFolder folder;
    const QString executable = withSeparator(candidates.executableFolder);
    if (candidates.executableFolderWritable) {
        folder.m_path = executable;
    } else if (candidates.perUserFolder.isEmpty()) {
        folder.m_path = executable;
        folder.m_error = u"No work folder for cmpres8.dat, cmpres.bak and sensor.ini: %1 cannot be written, "
                         "and there is no home folder for a per-user one (HOME is not set)"_s
                             .arg(shown(executable));
    } else {
        folder.m_path = withSeparator(candidates.perUserFolder);
        folder.m_perUser = true;
    }
    return folder;
}

WorkFolder WorkFolder::prepare(const Candidates &candidates)
{
    WorkFolder folder = decide(candidates);
    if (!folder.isValid() || !folder.m_perUser)
        return folder;
    if (!QDir().mkpath(folder.m_path)) {
        folder.m_error = u"Cannot create the work folder %1"_s.arg(shown(folder.m_path));
        return folder;
    }
    if (!isWritableFolder(folder.m_path)) {
        folder.m_error = u"Cannot write to the work folder %1"_s.arg(shown(folder.m_path));
        return folder;
    }
    // The first sensor.ini of a new per-user folder is the one that came with
    // the program, when it has one. Without it the values start at 0.
    const QString settings = folder.settingsPath();
    const QString installed = withSeparator(candidates.executableFolder) + QLatin1StringView(SettingsFileName);
    if (!QFileInfo::exists(settings) && QFileInfo::exists(installed) && QFile::copy(installed, settings)) {
        // The copy keeps the installed file's permissions, which may not let
        // its owner write it; the program writes it back at every end.
        QFile::setPermissions(settings, QFile::permissions(settings) | QFile::ReadOwner | QFile::WriteOwner);
    }
    return folder;
}

WorkFolder::Candidates WorkFolder::candidates()
{
    Candidates result;
    result.executableFolder = executableDirectory();
    result.executableFolderWritable = isWritableFolder(result.executableFolder);
    // Named after the product, not after the running program, so that the
    // editor, the simulator and the command-line tool share one folder.
    const QString data = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const QString home = QDir::homePath();
    // Without HOME, Qt falls back to the root folder; a data folder that
    // comes from that fallback belongs to no user.
    const bool noHome = QDir(home).isRoot() && data.startsWith(withSeparator(home) + u".local"_s);
    if (!data.isEmpty() && !noHome)
        result.perUserFolder = withSeparator(data) + QLatin1StringView(PerUserFolderName) + u'/';
    return result;
}

WorkFolder WorkFolder::locate()
{
    return prepare(candidates());
}

WorkFolder WorkFolder::peek()
{
    return decide(candidates());
}

bool WorkFolder::isWritableFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(withSeparator(folder) + u".oravelt-write-test-XXXXXX"_s);
    return probe.open();
}
