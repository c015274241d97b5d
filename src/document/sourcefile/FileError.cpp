#include "FileError.h"

#include <QDir>

using namespace Qt::StringLiterals;

QString FileError::toString() const
{
    QString text = QDir::toNativeSeparators(fileName);
    QString where;
    if (line >= 0)
        where = u"line %1"_s.arg(line);
    if (offset >= 0)
        where += (where.isEmpty() ? u"offset %1"_s : u" (offset %1)"_s).arg(offset);
    if (!where.isEmpty())
        text += (text.isEmpty() ? QString() : u": "_s) + where;
    if (!reason.isEmpty())
        text += (text.isEmpty() ? QString() : u": "_s) + reason;
    return text;
}
