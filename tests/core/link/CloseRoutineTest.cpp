// The close routine drains the output queue before it purges it, on a
// scripted device whose queue empties only as fast as the script says.

#include "link/DeviceLink.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct Script {
    std::mutex mutex;
    QStringList calls;
    int queued = 0;
    int drainPerLook = 0;  // bytes that leave between two looks at the queue
    bool stuck = false;

    void note(const QString &call)
    {
        std::lock_guard guard(mutex);
        calls << call;
    }
};

class ScriptedDevice : public CommPlatform::Device {
public:
    explicit ScriptedDevice(Script &script)
        : m_script(script)
    {
    }

    qintptr nativeHandle() const override { return 99; }
    bool isCharacterDevice() override { return true; }
    bool setEventMask(quint32) override { return true; }
    bool waitEvent(CommPlatform::WakeEvent &, quint32 *) override
    {
        std::this_thread::sleep_for(5ms);  // nothing ever happens on this line
        return false;
    }
    bool setReadReturnsAtOnce() override { return true; }
    bool getState(CommPlatform::LineState *state) override
    {
        *state = {};
        return true;
    }
    bool setState(const CommPlatform::LineState &) override { return true; }
    bool setupQueues(int, int) override { return true; }
    int write(const char *, int count, int) override
    {
        std::lock_guard guard(m_script.mutex);
        m_script.queued += count;
        return count;
    }
    int read(char *, int, int) override { return 0; }
    bool clearError(quint32 *errors, int *inQueue) override
    {
        *errors = 0;
        *inQueue = 0;
        return true;
    }
    int outQueue() override
    {
        std::lock_guard guard(m_script.mutex);
        if (!m_script.stuck)
            m_script.queued = qMax(0, m_script.queued - m_script.drainPerLook);
        m_script.calls << u"outQueue %1"_s.arg(m_script.queued);
        return m_script.queued;
    }
    bool waitUntilSent() override
    {
        m_script.note(u"waitUntilSent"_s);
        return true;
    }
    bool purge(quint32 flags) override
    {
        std::lock_guard guard(m_script.mutex);
        if (flags & (CommPlatform::PurgeFlag::TxAbort | CommPlatform::PurgeFlag::TxClear))
            m_script.queued = 0;
        m_script.calls << u"purge %1"_s.arg(flags);
        return true;
    }
    bool escape(int) override { return true; }

private:
    Script &m_script;
};

class ScriptedComm : public TComm {
public:
    explicit ScriptedComm(Script &script)
        : m_script(script)
    {
    }
    ~ScriptedComm() override { closeForDestruction(); }

protected:
    void DoOpen() override
    {
        setDevice(std::make_unique<ScriptedDevice>(m_script));
        TCommHandle::DoOpen();
    }

private:
    Script &m_script;
};

int indexOf(const QStringList &calls, const QString &call)
{
    return int(calls.indexOf(call));
}

TEST(CloseRoutine, WaitsForTheQueueToDrainBeforePurging)
{
    Script script;
    script.drainPerLook = 300;
    ScriptedComm comm(script);
    DeviceLink link(comm);
    const TransferReport report = link.upload(u"scripted"_s, QByteArray(2000, 'p'));
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(report.droppedAtClose, 0);

    const QStringList calls = script.calls;
    const int emptied = indexOf(calls, u"outQueue 0"_s);
    const int sent = indexOf(calls, u"waitUntilSent"_s);
    const int purgedOut = indexOf(calls, u"purge 5"_s);
    ASSERT_GE(emptied, 0) << calls.join(u", "_s).toStdString();
    EXPECT_LT(emptied, sent);
    EXPECT_LT(sent, purgedOut);
    EXPECT_GT(indexOf(calls, u"outQueue 3621"_s), -1);  // 3921 queued, drained in steps
}

TEST(CloseRoutine, QueueThatNeverDrainsIsBoundedAndReported)
{
    Script script;
    script.stuck = true;
    ScriptedComm comm(script);
    DeviceLink link(comm);
    link.setDrainMargin(50);
    link.openPort(u"scripted"_s);
    EXPECT_EQ(comm.WriteString(QByteArray(10, 'p')), 10);
    // 10 bytes at 2.29 ms each plus the margin, then the close goes on.
    EXPECT_EQ(link.closePort(), 10);
    EXPECT_FALSE(comm.Active());
    EXPECT_GT(indexOf(script.calls, u"purge 5"_s), -1);
    EXPECT_EQ(indexOf(script.calls, u"waitUntilSent"_s), -1);
}

TEST(CloseRoutine, ByteTimeFollowsTheLineSettings)
{
    TComm comm;
    comm.setBaudrate(br4800);
    comm.setDatabits(da8);
    comm.setParity(paNone);
    comm.setStopbits(sb20);
    EXPECT_EQ(comm.byteTimeMicroseconds(), 2291);  // 11 bits at 4800 bit/s
    comm.setStopbits(sb10);
    comm.setParity(paEven);
    comm.setBaudrate(br9600);
    EXPECT_EQ(comm.byteTimeMicroseconds(), 1145);  // 11 bits at 9600 bit/s
}

} // namespace
