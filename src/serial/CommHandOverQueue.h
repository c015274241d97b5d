#pragma once

// Hands calls from a port's event thread to the thread that owns the port and
// waits until each has run there (the event thread blocks meanwhile).
//
// The owner thread runs queued calls from its event loop (a queued call to a
// receiver living in that thread), and also from waitUntil(), which the port
// uses while it waits for its event thread to end: a closing port keeps
// running the hand-overs its thread queued, so the two never wait for each
// other. The queue is ours rather than a blocking queued connection for
// exactly that reason.

#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <deque>
#include <functional>
#include <memory>

class CommHandOverQueue {
public:
    // Must be created on the owner thread.
    CommHandOverQueue();
    ~CommHandOverQueue();

    // Event thread: runs task on the owner thread and returns when it has run.
    void runOnOwner(const std::function<void()> &task);

    // Owner thread: runs every call queued so far.
    void runPending();

    // Owner thread: runs queued calls until done() holds. done() is evaluated
    // with the queue's mutex held; whoever changes what it looks at calls
    // wakeOwner() afterwards.
    void waitUntil(const std::function<bool()> &done);

    // Any thread.
    void wakeOwner();

    // Calls queued and not yet taken by the owner.
    int pending();

private:
    struct Task {
        const std::function<void()> *call;
        bool done = false;
    };

    bool runOne(QMutexLocker<QMutex> &locker);

    QMutex m_mutex;
    QWaitCondition m_changed;
    std::deque<Task *> m_tasks;
    std::unique_ptr<QObject> m_receiver;
};
