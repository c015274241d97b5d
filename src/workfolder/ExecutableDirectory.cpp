#include "ExecutableDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString executableDirectory()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationDirPath();
    else
        path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}
