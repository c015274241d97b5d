#include "CommEventThread.h"

#include "CommHandOverQueue.h"
#include "CommHandle.h"

#include <QDebug>

TCommEventThread::TCommEventThread(TCommHandle *comm, TCommEventTypes events, CommPlatform::Device *handle,
                                   CommHandOverQueue *handOver)
    : m_handle(handle)
    , m_comm(comm)
    , m_wakeEvent(CommPlatform::createWakeEvent())
    , m_handOver(handOver)
{
    m_handle->setEventMask(commEventMask(events));
    start(QThread::HighestPriority);
}

TCommEventThread::~TCommEventThread()
{
    Stop();
    wait();
}

void TCommEventThread::Stop()
{
    m_terminated.store(true, std::memory_order_release);
    m_wakeEvent->set();
}

void TCommEventThread::run()
{
    Execute();
    m_ended.store(true, std::memory_order_release);
    m_handOver->wakeOwner();
}

void TCommEventThread::Execute()
{
    using namespace CommPlatform;
    while (!m_terminated.load(std::memory_order_acquire)) {
        quint32 events = 0;
        const bool produced = m_handle->waitEvent(*m_wakeEvent, &events);
        if (m_terminated.load(std::memory_order_acquire))
            break;
        if (produced) {
            m_eventMask = events;
            dispatch();
            m_wakeEvent->reset();
        }
        // A failed wait is not reported; the next one simply starts.
    }
    m_handle->purge(PurgeFlag::TxAbort | PurgeFlag::RxAbort | PurgeFlag::TxClear | PurgeFlag::RxClear);
}

void TCommEventThread::dispatch()
{
    const quint32 mask = m_eventMask;
    // Notification handlers may raise port errors (a read after the device
    // went away, say). They have no caller to go to here: report and go on.
    auto handle = [this, mask] {
        try {
            m_comm->HandleEvents(mask);
        } catch (const std::exception &e) {
            qWarning().noquote() << "Serial port notification failed:" << QString::fromUtf8(e.what());
        } catch (...) {
            qWarning() << "Serial port notification failed";
        }
    };
    if (m_comm->DontSynchronize())
        handle();
    else
        m_handOver->runOnOwner(handle);
}
