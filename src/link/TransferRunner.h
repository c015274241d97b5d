#pragma once

// Runs the writing part of a transfer (DeviceLink::write: preamble, payload,
// drain) on a thread of its own, so that the thread that owns the port keeps
// running its event loop while the bytes go out: the window is repainted and
// answers input, and the port's event thread gets its hand-overs run.
//
// The owner opens the port, start()s, and from then on leaves the port alone
// (no opening, closing or settings) until the runner has ended; then it
// wait()s and runs its close routine. The runner never waits for the owner
// thread, so it cannot deadlock with the port's hand-over; the only thing it
// shares with the owner is the port's lock, held by each write for at most
// the write time-out.
//
// requestStop() ends the transfer after the byte in hand. A port error ends
// it as well; error() then holds it for the owner to report.
//
// Ownership: the runner owns its thread; the link (and its port) must outlive
// it. The destructor stops and waits.
//
// Threads: start(), wait() and the results belong to the owner thread;
// requestStop(), isRunning() and progress() may be called from any thread.

#include "DeviceLink.h"

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class TransferRunner {
public:
    explicit TransferRunner(DeviceLink &link);
    ~TransferRunner();
    TransferRunner(const TransferRunner &) = delete;
    TransferRunner &operator=(const TransferRunner &) = delete;

    // Starts writing plan over the link's open port. `finished` runs on the
    // runner's thread as its very last act (the owner posts itself a call
    // from it). Refused (false) while a transfer runs or has not been waited
    // for.
    bool start(TransferPlan plan, std::function<void()> finished = {});

    void requestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    // From start() until the thread has written its last byte and reported.
    bool isRunning() const { return m_running.load(std::memory_order_acquire); }
    // Whether start() has been called and wait() not yet.
    bool isStarted() const { return m_thread.joinable(); }
    // Joins the thread (returns at once when it has ended or never started).
    void wait();

    TransferProgress progress() const;

    // After wait(): what the link did, and the error that ended it, if any.
    const TransferReport &report() const { return m_link.report(); }
    std::exception_ptr error() const { return m_error; }

private:
    void run(TransferPlan plan, std::function<void()> finished);

    DeviceLink &m_link;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::exception_ptr m_error;
    mutable std::mutex m_progressMutex;
    TransferProgress m_progress;
};
