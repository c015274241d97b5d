#include "Caption.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace Caption {

QString forFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return u"Unnamed"_s + suffix();
    return QFileInfo(fileName).fileName() + suffix();
}

QString applicationTitle()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

} // namespace Caption
