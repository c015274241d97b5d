#pragma once

// The wake event of the POSIX backends: an eventfd that the serial device and
// the network socket both put into their poll() sets.

#include "serial/CommPlatform.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace CommPlatform {

class PosixWakeEvent final : public WakeEvent {
public:
    PosixWakeEvent()
        : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~PosixWakeEvent() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PosixWakeEvent(const PosixWakeEvent &) = delete;
    PosixWakeEvent &operator=(const PosixWakeEvent &) = delete;

    void set() override
    {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(m_fd, &one, sizeof one);
    }
    void reset() override
    {
        quint64 value = 0;
        [[maybe_unused]] const auto got = ::read(m_fd, &value, sizeof value);
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace CommPlatform
