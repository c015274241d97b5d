#pragma once

// What tests of threads and ports ask of their own process: an application
// object for the event loop (created once, on first use), and the CPU time
// the whole process has used, in which a thread left spinning shows.

#include "EventLoopWait.h"

#include <ctime>

inline double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
