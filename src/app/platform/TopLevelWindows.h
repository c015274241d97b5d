#pragma once

// Top-level windows of the desktop, of any process, found by their exact
// title: how the editor reaches the external simulator's window, which it
// never started itself in a way it could keep track of.

#include <QString>

#include <memory>
#include <optional>

class TopLevelWindows {
public:
    using Handle = quint64;

    virtual ~TopLevelWindows() = default;

    // The first top-level window whose title is exactly `title`.
    virtual std::optional<Handle> find(const QString &title) = 0;
    // Asks the window to close and waits until the request has been delivered.
    virtual void close(Handle window) = 0;
    virtual void bringToTop(Handle window) = 0;

    // The desktop's windows: X11's when the session has it, Windows' own on
    // Windows; elsewhere none are found.
    static TopLevelWindows &desktop();
    // Replaces the desktop's windows, for tests; nullptr restores them.
    static void setDesktop(std::unique_ptr<TopLevelWindows> windows);
};

namespace Simulator {

// The titles of the simulator's window: the one it carries while previewing,
// and the one by which the editor closes it when the editor closes.
QString previewTitle();
QString closingTitle();

// Closes the simulator's window by its closing title; false when there is none.
bool closeWindow(TopLevelWindows &windows = TopLevelWindows::desktop());

// The simulator's program file name ("ledsim8", "ledsim8.exe" on Windows).
QString programFileName();

// Starts the simulator from `directory` (given with its trailing separator)
// without arguments, in the editor's own working directory, and without
// waiting for it; a missing program is passed over silently. Then brings a
// window carrying the preview title to the top, when there is one: the window
// of a simulator already running, since the one just started has had no time
// to open its own.
void startPreview(const QString &directory, TopLevelWindows &windows = TopLevelWindows::desktop());

} // namespace Simulator
