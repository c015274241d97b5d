#include "LinuxCustomBaudrate.h"

#include <cerrno>

#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setCustomBaudrate(int fd, quint32 baud)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

quint32 readCustomBaudrate(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return 0;
    return tio.c_ospeed;
}
#else
bool setCustomBaudrate(int, quint32)
{
    errno = EINVAL;
    return false;
}

quint32 readCustomBaudrate(int)
{
    return 0;
}
#endif
