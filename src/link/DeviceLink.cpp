#include "DeviceLink.h"

#include "DeviceProtocol.h"

namespace {

// Progress goes out this often during byte-by-byte writes.
constexpr qint64 ProgressEvery = 64;

} // namespace

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
    if (m_port.Active()) {
        dropped = m_port.DrainOut(m_drainMarginMs);
        m_port.PurgeOut();
    }
    m_port.Close();
    return dropped;
}

void DeviceLink::account(int written, int wanted)
{
    m_report.sent += written;
    m_report.timedOut += wanted - written;
}

void DeviceLink::tellProgress()
{
    if (m_progress)
        m_progress(TransferProgress{m_report.sent + m_report.timedOut, m_report.total, m_report.timedOut});
}

void DeviceLink::writePreamble(char marker)
{
    const QByteArray one(1, marker);
    for (int i = 0; i < DeviceProtocol::PreambleLength; ++i) {
        account(m_port.WriteString(one), 1);
        if ((i + 1) % ProgressEvery == 0)
            tellProgress();
    }
    tellProgress();
}

void DeviceLink::writeBytesOneByOne(const QByteArray &bytes)
{
    QByteArray one(1, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        one[0] = bytes[i];
        account(m_port.WriteString(one), 1);
        if ((i + 1) % ProgressEvery == 0)
            tellProgress();
    }
    tellProgress();
}

TransferReport DeviceLink::upload(const QString &deviceName, const QByteArray &program)
{
    m_report = TransferReport{};
    m_report.total = DeviceProtocol::PreambleLength + program.size();
    m_report.payload = program;
    openPort(deviceName);
    writePreamble(DeviceProtocol::ProgramMarker);
    writeBytesOneByOne(program);
    m_report.droppedAtClose = closePort();
    m_report.finished = true;
    return m_report;
}

TransferReport DeviceLink::setClock(const QString &deviceName, const std::function<QDateTime()> &moment)
{
    m_report = TransferReport{};
    m_report.total = DeviceProtocol::PreambleLength + DeviceProtocol::ClockPayloadLength;
    openPort(deviceName);
    writePreamble(DeviceProtocol::ClockMarker);
    m_report.payload = DeviceProtocol::clockPayload(moment());
    account(m_port.WriteString(m_report.payload), int(m_report.payload.size()));
    tellProgress();
    m_report.droppedAtClose = closePort();
    m_report.finished = true;
    return m_report;
}
