#pragma once

// TConnection: something that can be opened and closed, owned by its parent
// QObject, telling whoever listens before and after each change.
//
// Opening runs DoBeforeOpen, then DoOpen. When DoOpen throws, DoClose runs once
// (so a half-acquired resource is released), Active stays false, AfterOpen is
// not called and the exception reaches the caller unchanged. Closing runs
// DoBeforeClose, DoClose, sets Active false, then DoAfterClose.
//
// While the owner restores a stored description (between beginLoading() and
// Loaded()), setting Active to true is only remembered; Loaded() opens.
//
// Destruction closes without the two close notifications. A C++ base class
// destructor cannot reach the overrides of its descendants, so every class
// that implements DoClose calls closeForDestruction() first thing in its own
// destructor; calling it more than once is harmless.
//
// No lock: opening, closing and the property setters belong to the thread
// that owns the connection.

#include "ConnectError.h"

#include <QObject>

#include <functional>

class TConnection;
using TConnectionNotifyEvent = std::function<void(TConnection *DataSet)>;

class TConnection : public QObject {
public:
    explicit TConnection(QObject *owner = nullptr);
    ~TConnection() override;

    bool Active() const { return m_active; }
    void setActive(bool value);
    void Open() { setActive(true); }
    void Close() { setActive(false); }

    // "Connection is active" when open.
    void CheckInactive() const;
    // "Connection is inactive" when closed.
    void CheckActive() const;

    void setBeforeOpen(TConnectionNotifyEvent handler) { m_beforeOpen = std::move(handler); }
    void setBeforeClose(TConnectionNotifyEvent handler) { m_beforeClose = std::move(handler); }
    void setAfterOpen(TConnectionNotifyEvent handler) { m_afterOpen = std::move(handler); }
    void setAfterClose(TConnectionNotifyEvent handler) { m_afterClose = std::move(handler); }

    // The owner is restoring its stored state: see the header comment.
    void beginLoading() { m_loading = true; }
    bool isLoading() const { return m_loading; }
    bool StreamedActive() const { return m_streamedActive; }
    virtual void Loaded();

    bool isDestroying() const { return m_destroying; }

protected:
    virtual void DoOpen() = 0;
    // Must be safe to call when nothing is held.
    virtual void DoClose() = 0;
    virtual void DoBeforeOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterOpen();
    virtual void DoAfterClose();

    void closeForDestruction();

private:
    void openNow();

    bool m_active = false;
    bool m_streamedActive = false;
    bool m_loading = false;
    bool m_destroying = false;
    TConnectionNotifyEvent m_beforeOpen;
    TConnectionNotifyEvent m_beforeClose;
    TConnectionNotifyEvent m_afterOpen;
    TConnectionNotifyEvent m_afterClose;
};
