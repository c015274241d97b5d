#include "CommHandOverQueue.h"

#include <QMetaObject>

CommHandOverQueue::CommHandOverQueue()
    : m_receiver(std::make_unique<QObject>())
{
}

CommHandOverQueue::~CommHandOverQueue() = default;

void CommHandOverQueue::runOnOwner(const std::function<void()> &task)
{
    Task entry{&task};
    {
        QMutexLocker locker(&m_mutex);
        m_tasks.push_back(&entry);
        m_changed.wakeAll();
    }
    // Ask the owner's event loop to run it; a closing owner runs it from
    // waitUntil() instead, and the posted call then finds nothing to do.
    QMetaObject::invokeMethod(m_receiver.get(), [this] { runPending(); }, Qt::QueuedConnection);

    QMutexLocker locker(&m_mutex);
    while (!entry.done)
        m_changed.wait(&m_mutex);
}

bool CommHandOverQueue::runOne(QMutexLocker<QMutex> &locker)
{
    if (m_tasks.empty())
        return false;
    Task *task = m_tasks.front();
    m_tasks.pop_front();
    locker.unlock();
    // The event thread wraps its calls so that nothing escapes them; should
    // anything still, the waiting thread must be released all the same.
    struct Release {
        CommHandOverQueue *queue;
        Task *task;
        QMutexLocker<QMutex> &locker;
        ~Release()
        {
            locker.relock();
            task->done = true;
            queue->m_changed.wakeAll();
        }
    } release{this, task, locker};
    (*task->call)();
    return true;
}

void CommHandOverQueue::runPending()
{
    QMutexLocker locker(&m_mutex);
    while (runOne(locker)) {
    }
}

void CommHandOverQueue::waitUntil(const std::function<bool()> &done)
{
    QMutexLocker locker(&m_mutex);
    for (;;) {
        if (runOne(locker))
            continue;
        if (done())
            return;
        m_changed.wait(&m_mutex);
    }
}

void CommHandOverQueue::wakeOwner()
{
    QMutexLocker locker(&m_mutex);
    m_changed.wakeAll();
}

int CommHandOverQueue::pending()
{
    QMutexLocker locker(&m_mutex);
    return int(m_tasks.size());
}
