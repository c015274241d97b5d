#pragma once

// Top-level windows of an X11 session, listed by the window manager in
// _NET_CLIENT_LIST and named by _NET_WM_NAME (or WM_NAME). Uses a connection
// of its own to the display, so it works whichever platform Qt itself runs on.

#include "TopLevelWindows.h"

#include <QByteArray>

#include <memory>

class X11Windows : public TopLevelWindows {
public:
    // Nothing when there is no X11 display to talk to. An empty display name
    // means the session's ($DISPLAY).
    static std::unique_ptr<X11Windows> connect(const QByteArray &display = QByteArray());
    ~X11Windows() override;

    std::optional<Handle> find(const QString &title) override;
    void close(Handle window) override;
    void bringToTop(Handle window) override;

private:
    struct Connection;
    explicit X11Windows(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> m_x;
};
