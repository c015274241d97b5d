#pragma once

// Bit rates that have no B-constant in termios (14400, 56000, 128000, 256000)
// go through the kernel's termios2 interface. It lives in its own file because
// its header cannot be included together with <termios.h>.

#include <QtGlobal>

// Sets both directions to baud; false with errno set on failure.
bool setCustomBaudrate(int fd, quint32 baud);
// The output bit rate as the kernel keeps it, 0 when it cannot be read.
quint32 readCustomBaudrate(int fd);
