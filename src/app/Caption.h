#pragma once

// Every window caption ends with the caption suffix.

#include <QString>

namespace Caption {

// Space, hyphen, space, "Oravelt" in double quotes, the version and date.
inline QString suffix()
{
    return QStringLiteral(" - \"Oravelt\" XP/W7 v2.2.1 16.11.2011");
}

// The main window's caption for a file name (empty: an unnamed document).
QString forFile(const QString &fileName);

// The application title of the standard error box: the executable's file
// name without its directory, cut at its first full stop.
QString applicationTitle();

} // namespace Caption
