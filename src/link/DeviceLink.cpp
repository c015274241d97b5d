#include "DeviceLink.h"

#include "DeviceProtocol.h"

#include <QThread>

namespace {

// Progress goes out this often during byte-by-byte writes.
constexpr qint64 ProgressEvery = 64;
// Longest sleep while waiting for the line, so that a stop is seen soon.
constexpr qint64 WaitSliceMs = 50;

} // namespace

TransferPlan TransferPlan::programLoad(const QByteArray &program)
{
    TransferPlan plan;
    plan.marker = DeviceProtocol::ProgramMarker;
    plan.program = program;
    return plan;
}

TransferPlan TransferPlan::clockSetting(std::function<QDateTime()> moment)
{
    TransferPlan plan;
    plan.marker = DeviceProtocol::ClockMarker;
    plan.moment = std::move(moment);
    return plan;
}

qint64 TransferPlan::total() const
{
    return DeviceProtocol::PreambleLength + (isClockSetting() ? DeviceProtocol::ClockPayloadLength : program.size());
}

qint64 TransferProgress::millisecondsLeft() const
{
    return qMax(DeviceProtocol::lineTimeMilliseconds(qMax<qint64>(0, total - sent)), lineWaitMs);
}

DeviceLink::DeviceLink(TComm &port)
    : m_port(port)
    , m_writeTimeoutMs(DeviceProtocol::WriteTimeoutMs)
{
}

DeviceLink::OpenResult DeviceLink::openPort(const QString &deviceName)
{
    if (m_port.Active()) {
        if (m_alreadyOpen)
            m_alreadyOpen();
        return OpenResult::AlreadyOpen;
    }
    DeviceProtocol::applyLineSettings(m_port, m_writeTimeoutMs);
    m_port.setDeviceName(deviceName);
    m_port.Open();
    m_port.SetSignal(siDtr, false);
    m_port.SetSignal(siRts, true);
    return OpenResult::Opened;
}

qint64 DeviceLink::closePort()
{
    qint64 dropped = 0;
    if (m_port.Active())
        dropped = m_port.DrainOut(m_drainMarginMs);
    purgeAndClose();
    return dropped;
}

void DeviceLink::purgeAndClose()
{
    if (m_port.Active())
        m_port.PurgeOut();
    m_port.Close();
}

void DeviceLink::begin(const TransferPlan &plan)
{
    m_report = TransferReport{};
    m_report.total = plan.total();
    m_report.payload = plan.program;
    m_phase = TransferPhase::Preamble;
    m_lineWaitMs = 0;
}

bool DeviceLink::stopping()
{
    if (!m_report.stopped && m_stopRequested && m_stopRequested())
        m_report.stopped = true;
    return m_report.stopped;
}

void DeviceLink::account(int written, int wanted, bool payload)
{
    m_report.sent += written;
    if (payload)
        m_report.payloadSent += written;
    m_report.timedOut += wanted - written;
}

void DeviceLink::tellProgress()
{
    if (m_progress)
        m_progress(TransferProgress{m_phase, m_report.sent + m_report.timedOut, m_report.total, m_report.timedOut,
                                    m_lineWaitMs});
}

bool DeviceLink::writePreamble(char marker)
{
    const QByteArray one(1, marker);
    for (int i = 0; i < DeviceProtocol::PreambleLength; ++i) {
        if (stopping())
            return false;
        account(m_port.WriteString(one), 1, false);
        if ((i + 1) % ProgressEvery == 0)
            tellProgress();
    }
    tellProgress();
    return true;
}

bool DeviceLink::writeBytesOneByOne(const QByteArray &bytes)
{
    QByteArray one(1, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (stopping())
            return false;
        one[0] = bytes[i];
        account(m_port.WriteString(one), 1, true);
        if ((i + 1) % ProgressEvery == 0)
            tellProgress();
    }
    tellProgress();
    return true;
}

bool DeviceLink::waitForLine(const QElapsedTimer &started, qint64 bytes)
{
    const qint64 lineMs = DeviceProtocol::lineTimeMilliseconds(bytes);
    // A queue that never empties must not hold the clock for ever.
    const qint64 giveUpMs = lineMs + m_drainMarginMs;
    for (;;) {
        if (stopping())
            return false;
        const qint64 elapsed = started.elapsed();
        const int queued = m_port.OutQueCount();
        const qint64 queueMs = queued > 0 ? DeviceProtocol::lineTimeMilliseconds(queued) : 0;
        m_lineWaitMs = qMax(lineMs - elapsed, queueMs);
        if (m_lineWaitMs <= 0 || elapsed >= giveUpMs) {
            m_lineWaitMs = 0;
            return true;
        }
        tellProgress();
        QThread::msleep(quint64(qBound<qint64>(1, m_lineWaitMs, WaitSliceMs)));
    }
}

void DeviceLink::drain()
{
    m_phase = TransferPhase::Draining;
    const int queued = m_port.OutQueCount();
    m_lineWaitMs = queued > 0 ? DeviceProtocol::lineTimeMilliseconds(queued) : 0;
    tellProgress();
    const qint64 left = m_port.DrainOut(m_drainMarginMs, [this] { return stopping(); });
    m_lineWaitMs = 0;
    if (m_report.stopped)
        m_report.queuedAtStop = left;
    else
        m_report.droppedAtClose = left;
    tellProgress();
}

void DeviceLink::write(const TransferPlan &plan, StopRequest stopRequested)
{
    begin(plan);
    m_stopRequested = std::move(stopRequested);
    struct Forget {
        StopRequest &request;
        ~Forget() { request = {}; }
    } forget{m_stopRequested};

    QElapsedTimer started;
    started.start();
    bool going = writePreamble(plan.marker);
    if (going && plan.isClockSetting()) {
        going = waitForLine(started, DeviceProtocol::PreambleLength);
        if (going) {
            m_phase = TransferPhase::Clock;
            m_report.moment = plan.moment();
            m_report.payload = DeviceProtocol::clockPayload(m_report.moment);
            account(m_port.WriteString(m_report.payload), int(m_report.payload.size()), true);
            tellProgress();
        }
    } else if (going) {
        m_phase = TransferPhase::Program;
        tellProgress();
        going = writeBytesOneByOne(plan.program);
    }
    if (going) {
        drain();
    } else {
        const int queued = m_port.OutQueCount();
        m_report.queuedAtStop = qMax(queued, 0);
    }
    m_report.finished = true;
}

TransferReport DeviceLink::run(const QString &deviceName, const TransferPlan &plan)
{
    begin(plan);
    openPort(deviceName);
    write(plan);
    purgeAndClose();
    return m_report;
}

TransferReport DeviceLink::upload(const QString &deviceName, const QByteArray &program)
{
    return run(deviceName, TransferPlan::programLoad(program));
}

TransferReport DeviceLink::setClock(const QString &deviceName, const std::function<QDateTime()> &moment)
{
    return run(deviceName, TransferPlan::clockSetting(moment));
}
