#pragma once

// The background thread of an open port: waits for the device events the port
// monitors and hands each batch to the port's HandleEvents, on the thread that
// owns the port (through the port's hand-over queue, waiting until it has run)
// or, when the port's DontSynchronize is set, on this thread itself.
//
// Created running by the port's opening; the port's closing calls Stop(),
// waits for the end (running queued hand-overs meanwhile) and deletes it, and
// only then closes the device. On its way out the thread purges both queues
// of the device.

#include "CommPlatform.h"
#include "CommTypes.h"

#include <QThread>

#include <atomic>
#include <memory>

class TCommHandle;
class CommHandOverQueue;

class TCommEventThread : public QThread {
public:
    // handle and comm are not owned and outlive the thread.
    TCommEventThread(TCommHandle *comm, TCommEventTypes events, CommPlatform::Device *handle,
                     CommHandOverQueue *handOver);
    ~TCommEventThread() override;

    void Stop();
    // Set as the very last thing the thread does.
    bool hasEnded() const { return m_ended.load(std::memory_order_acquire); }

protected:
    void run() override;
    void Execute();

private:
    void dispatch();

    CommPlatform::Device *m_handle;
    quint32 m_eventMask = 0;
    TCommHandle *m_comm;
    std::unique_ptr<CommPlatform::WakeEvent> m_wakeEvent;
    CommHandOverQueue *m_handOver;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_ended{false};
};
