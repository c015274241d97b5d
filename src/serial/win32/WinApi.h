#pragma once

// The Windows headers as the Win32 backends include them: Winsock 2 before
// windows.h, without the min/max macros and without the rarely used parts.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>
