#include "TransferRunner.h"

TransferRunner::TransferRunner(DeviceLink &link)
    : m_link(link)
{
}

TransferRunner::~TransferRunner()
{
    requestStop();
    wait();
}

bool TransferRunner::start(TransferPlan plan, std::function<void()> finished)
{
    if (m_thread.joinable())
        return false;
    m_stop.store(false, std::memory_order_relaxed);
    m_error = nullptr;
    {
        std::lock_guard guard(m_progressMutex);
        m_progress = TransferProgress{TransferPhase::Preamble, 0, plan.total(), 0, 0};
    }
    m_link.setProgressHandler([this](const TransferProgress &progress) {
        std::lock_guard guard(m_progressMutex);
        m_progress = progress;
    });
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread([this, plan = std::move(plan), finished = std::move(finished)]() mutable {
        run(std::move(plan), std::move(finished));
    });
    return true;
}

void TransferRunner::run(TransferPlan plan, std::function<void()> finished)
{
    try {
        m_link.write(plan, [this] { return stopRequested(); });
    } catch (...) {
        m_error = std::current_exception();
    }
    m_running.store(false, std::memory_order_release);
    if (finished)
        finished();
}

void TransferRunner::wait()
{
    if (m_thread.joinable())
        m_thread.join();
    m_link.setProgressHandler({});
}

TransferProgress TransferRunner::progress() const
{
    std::lock_guard guard(m_progressMutex);
    return m_progress;
}
