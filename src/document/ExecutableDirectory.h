#pragma once

// The directory of the running executable, with its trailing separator. The
// compiled program, its listing, "sensor.ini" and the simulator are found
// there by appending the file name, whatever the current directory is.

#include <QString>

QString executableDirectory();
