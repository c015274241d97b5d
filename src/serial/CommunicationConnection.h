#pragma once

// TCommunicationConnection: an abstract byte stream with an input queue and a
// received-characters notification. WriteString and ReadString are the calls
// the device link uses; they pass the traffic through the logging hooks.

#include "LogConnection.h"

#include <atomic>

using TCommRxCharEvent = std::function<void(QObject *Sender, int Count)>;

class TCommunicationConnection : public TLogConnection {
public:
    explicit TCommunicationConnection(QObject *owner = nullptr);

    virtual int InQueCount() = 0;
    virtual void PurgeIn() = 0;
    virtual void PurgeOut() = 0;
    // Both return the number of bytes transferred (0 on time-out).
    virtual int Write(const char *buffer, int count) = 0;
    virtual int Read(char *buffer, int count) = 0;

    // Logs s on the write channel, then writes its bytes; returns Write's count.
    int WriteString(const QByteArray &s);
    // Reads up to count bytes into s (cut to what was read), then logs them on
    // the read channel; returns the number of bytes read.
    int ReadString(int count, QByteArray &s);

    void setOnRxChar(TCommRxCharEvent handler) { m_onRxChar = std::move(handler); }

    // Whether the port's event thread runs the notifications itself instead of
    // handing them to the thread that owns the port. Read by that thread.
    bool DontSynchronize() const { return m_dontSynchronize.load(std::memory_order_relaxed); }
    void setDontSynchronize(bool value) { m_dontSynchronize.store(value, std::memory_order_relaxed); }

protected:
    virtual void DoRxChar(int count);

private:
    TCommRxCharEvent m_onRxChar;
    std::atomic<bool> m_dontSynchronize{false};
};
