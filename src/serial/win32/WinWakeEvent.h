#pragma once

// The wake event of the Win32 backends: a manual-reset event that the serial
// device and the network socket both wait for beside their own.

#include "serial/CommPlatform.h"

#include "WinApi.h"

namespace CommPlatform {

class WinWakeEvent final : public WakeEvent {
public:
    WinWakeEvent()
        : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~WinWakeEvent() override
    {
        if (m_event)
            CloseHandle(m_event);
    }
    WinWakeEvent(const WinWakeEvent &) = delete;
    WinWakeEvent &operator=(const WinWakeEvent &) = delete;

    void set() override { SetEvent(m_event); }
    void reset() override { ResetEvent(m_event); }
    HANDLE handle() const { return m_event; }

private:
    HANDLE m_event;
};

} // namespace CommPlatform
