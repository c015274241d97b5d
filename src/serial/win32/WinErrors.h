#pragma once

// Helpers the Win32 backends share for recording failures.

#include "serial/CommPlatform.h"

namespace CommPlatform {

// The system's text for code with detail in brackets, before its full stop:
// "Access is denied (the port is in use by another program)".
QString systemErrorText(int code, const QString &detail);
// Records the failure and returns false.
bool failWith(int code, const QString &text = {});
// Records GetLastError() and returns false.
bool failLastError();

} // namespace CommPlatform
