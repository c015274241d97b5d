#pragma once

// The top-level windows of a desktop whose window system is the platform's
// own (Windows): found by title with the system's window list. Where the
// desktop is X11 (see X11Windows) there are none of these.

#include "TopLevelWindows.h"

#include <memory>

namespace NativeWindows {

// Nothing when the platform has no window list of its own to ask.
std::unique_ptr<TopLevelWindows> connect();

} // namespace NativeWindows
