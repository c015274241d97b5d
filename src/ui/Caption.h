#pragma once

// Every window caption ends with the caption suffix.

#include "OraveltVersion.h"

#include <QString>

namespace Caption {

inline QString suffix()
{
    return OraveltVersion::captionSuffix();
}

// The main window's caption for a file name (empty: an unnamed document).
QString forFile(const QString &fileName);

// The application title of the standard error box: the executable's file
// name without its directory, cut at its first full stop.
QString applicationTitle();

} // namespace Caption
