#pragma once

// The directory of the running executable, with its trailing separator,
// whatever the current directory is. The simulator and the sign fonts that
// come with the programs are found there; it is also the work folder when
// it can be written (WorkFolder.h).

#include <QString>

QString executableDirectory();
