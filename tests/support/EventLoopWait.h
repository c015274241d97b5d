#pragma once

// An application object for tests that need an event loop (created once, on
// first use), and a bounded wait that runs that loop until a condition holds.

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <thread>

inline void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "oravelt_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs the event loop until done() holds (true) or the generous limit
// passes (false).
template<typename Done>
bool processUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    ensureCoreApplication();
    QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
