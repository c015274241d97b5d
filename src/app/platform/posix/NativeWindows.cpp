#include "app/platform/NativeWindows.h"

// On Linux and other POSIX desktops the windows are the X server's
// (X11Windows); the platform has no window list of its own.
std::unique_ptr<TopLevelWindows> NativeWindows::connect()
{
    return nullptr;
}
