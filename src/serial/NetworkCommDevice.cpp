#include "NetworkCommDevice.h"

#include <QThread>

#include <cstring>

using namespace Qt::StringLiterals;
using namespace CommPlatform;

namespace {

// Longest sleep of a wait that polls (answers, the line model), so that the
// other side of the wait is seen soon.
constexpr int SliceMs = 20;
// How often the event thread looks at the line model for an empty queue.
constexpr int TxEmptyLookMs = 50;
constexpr int UnacknowledgedWaitMs = 2000;
// Bytes the far side may hold unacknowledged before a write waits: a far side
// that stops reading shows as data it no longer acknowledges once its own
// buffers are full, and writes then time out as on a blocked local line.
constexpr int UnacknowledgedLimit = 1024;

bool fail(Fault fault, const QString &text = {})
{
    setLastError(faultCode(fault), text);
    return false;
}

// The system's text for fault, with what happened in brackets (before the
// full stop of systems whose texts are sentences).
QString faultText(Fault fault, const QString &detail)
{
    QString text = systemErrorText(faultCode(fault));
    if (text.endsWith(u'.'))
        text.chop(1);
    return text + u" ("_s + detail + u')';
}

QString parityName(int value)
{
    switch (value) {
    case Telnet::ComPort::ParityNone: return u"none"_s;
    case Telnet::ComPort::ParityOdd: return u"odd"_s;
    case Telnet::ComPort::ParityEven: return u"even"_s;
    case Telnet::ComPort::ParityMark: return u"mark"_s;
    case Telnet::ComPort::ParitySpace: return u"space"_s;
    default: return QString::number(value);
    }
}

QString stopName(int value)
{
    switch (value) {
    case Telnet::ComPort::StopOne: return u"1"_s;
    case Telnet::ComPort::StopTwo: return u"2"_s;
    case Telnet::ComPort::StopOneAndHalf: return u"1.5"_s;
    default: return QString::number(value);
    }
}

QString valueText(quint8 command, const QByteArray &value)
{
    if (value.isEmpty())
        return u"nothing"_s;
    const int first = quint8(value.at(0));
    switch (command) {
    case Telnet::ComPort::SetBaudrate: {
        quint32 baud = 0;
        for (char byte : value)
            baud = (baud << 8) | quint8(byte);
        return QString::number(baud);
    }
    case Telnet::ComPort::SetParity: return parityName(first);
    case Telnet::ComPort::SetStopsize: return stopName(first);
    case Telnet::ComPort::SetControl: return Telnet::settingName(command, value);
    default: return QString::number(first);
    }
}

// SetControl answers come in groups (flow control, break, DTR, RTS, and the
// inbound flow control); an answer belongs to the request of its group.
int controlGroup(const QByteArray &value)
{
    const int v = value.isEmpty() ? -1 : quint8(value.at(0));
    if (v >= 0 && v <= 3)
        return 0;
    if (v >= 4 && v <= 6)
        return 1;
    if (v >= 7 && v <= 9)
        return 2;
    if (v >= 10 && v <= 12)
        return 3;
    return 4;
}

bool answers(const Telnet::ComPortAnswer &answer, quint8 command, const QByteArray &value)
{
    if (answer.command != command)
        return false;
    return command != Telnet::ComPort::SetControl || controlGroup(answer.value) == controlGroup(value);
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left <= 0 ? 0 : int(qMin<qint64>(left, 1 << 30));
}

} // namespace

NetworkCommDevice::NetworkCommDevice(const NetworkAddress &address, std::unique_ptr<Socket> socket)
    : m_address(address)
    , m_socket(std::move(socket))
{
    setPace(m_state);
}

NetworkCommDevice::~NetworkCommDevice() = default;

std::unique_ptr<NetworkCommDevice> NetworkCommDevice::open(const NetworkAddress &address)
{
    std::unique_ptr<Socket> socket = connectSocket(address.host, address.port, ConnectTimeoutMs);
    if (!socket)
        return nullptr;
    auto device = std::make_unique<NetworkCommDevice>(address, std::move(socket));
    if (device->rfc2217() && !device->greet())
        return nullptr;
    return device;
}

qintptr NetworkCommDevice::nativeHandle() const
{
    return m_socket->nativeHandle();
}

bool NetworkCommDevice::sendAll(const QByteArray &bytes, int timeoutMs)
{
    std::lock_guard guard(m_sendMutex);
    const int sent = m_socket->send(bytes.constData(), int(bytes.size()), timeoutMs);
    if (sent < 0)
        return false;
    if (sent < bytes.size())
        return fail(Fault::TimedOut, faultText(Fault::TimedOut, u"the far side takes nothing more"_s));
    return true;
}

bool NetworkCommDevice::pumpLocked()
{
    char buffer[4096];
    for (;;) {
        if (m_closed)
            return false;
        const int got = m_socket->receive(buffer, int(sizeof buffer));
        if (got == 0)
            return true;
        if (got < 0) {
            m_closed = true;
            return false;
        }
        if (rfc2217()) {
            m_telnet.feed(buffer, got, &m_received);
            const QByteArray replies = m_telnet.takeReplies();
            if (!replies.isEmpty())
                sendAll(replies, AnswerTimeoutMs);
            // Answers nobody waits for any more are not kept for ever.
            while (m_telnet.answers().size() > 32)
                m_telnet.answers().pop_front();
        } else {
            m_received.append(buffer, got);
        }
    }
}

bool NetworkCommDevice::pump()
{
    std::lock_guard guard(m_rxMutex);
    return pumpLocked();
}

bool NetworkCommDevice::greet()
{
    if (!sendAll(Telnet::clientGreeting(), AnswerTimeoutMs))
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(AnswerTimeoutMs);
    for (;;) {
        {
            std::lock_guard guard(m_rxMutex);
            const bool open = pumpLocked();
            if (m_telnet.comPortRefused())
                return fail(Fault::NotSupported, u"%1 refuses the COM port control option (RFC 2217); a raw TCP "
                                                  "port is reached as tcp://"_s.arg(m_address.endpointText()));
            if (m_telnet.comPortAccepted())
                return true;
            if (!open)
                return fail(Fault::ConnectionReset,
                            faultText(Fault::ConnectionReset,
                                      u"%1 closed the connection"_s.arg(m_address.endpointText())));
        }
        const int left = millisecondsUntil(deadline);
        if (left == 0)
            return fail(Fault::TimedOut, u"%1 did not take up the COM port control option (RFC 2217) within %2 s; a "
                                         "raw TCP port is reached as tcp://"_s.arg(m_address.endpointText())
                                             .arg(AnswerTimeoutMs / 1000));
        m_socket->wait(nullptr, true, qMin(left, SliceMs));
    }
}

bool NetworkCommDevice::command(quint8 code, const QByteArray &value, bool required)
{
    if (!sendAll(Telnet::comPortCommand(code, value), AnswerTimeoutMs))
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(required ? AnswerTimeoutMs : ModemAnswerMs);
    const QString name = Telnet::settingName(code, value);
    for (;;) {
        {
            std::lock_guard guard(m_rxMutex);
            const bool open = pumpLocked();
            auto &queue = m_telnet.answers();
            for (auto it = queue.begin(); it != queue.end(); ++it) {
                if (!answers(*it, code, value))
                    continue;
                const Telnet::ComPortAnswer answer = *it;
                queue.erase(it);
                if (answer.value == value)
                    return true;
                return fail(Fault::Invalid, u"the far port refused %1 %2 (it answered %3)"_s.arg(
                                                name, valueText(code, value), valueText(code, answer.value)));
            }
            if (!open)
                return fail(Fault::ConnectionReset,
                            faultText(Fault::ConnectionReset,
                                      u"%1 closed the connection"_s.arg(m_address.endpointText())));
        }
        const int left = millisecondsUntil(deadline);
        if (left == 0) {
            if (!required)
                return true;  // a far port without this line or setting
            return fail(Fault::TimedOut, u"the far port did not answer %1 %2 within %3 s"_s
                                             .arg(name, valueText(code, value))
                                             .arg(AnswerTimeoutMs / 1000));
        }
        m_socket->wait(nullptr, true, qMin(left, SliceMs));
    }
}

bool NetworkCommDevice::setEventMask(quint32 mask)
{
    m_mask = mask;
    return true;
}

bool NetworkCommDevice::getState(LineState *state)
{
    std::lock_guard guard(m_lineMutex);
    *state = m_state;
    return true;
}

bool NetworkCommDevice::setState(const LineState &state)
{
    if (state.baudRate == 0 || state.byteSize < 5 || state.byteSize > 8)
        return fail(Fault::Invalid);
    setPace(state);
    if (!rfc2217())
        return true;
    using namespace Telnet::ComPort;
    const quint8 parity = state.parity == 1 ? ParityOdd : state.parity == 2 ? ParityEven
                        : state.parity == 3 ? ParityMark : state.parity == 4 ? ParitySpace : ParityNone;
    const quint8 stop = state.stopBits == 0 ? StopOne : state.stopBits == 1 ? StopOneAndHalf : StopTwo;
    quint8 flow = NoFlowControl;
    if (state.flags & (LineFlag::OutxCtsFlow | LineFlag::RtsControlHandshake))
        flow = HardwareFlowControl;
    else if (state.flags & (LineFlag::OutX | LineFlag::InX))
        flow = XonXoffFlowControl;
    return command(SetBaudrate, Telnet::baudrateValue(state.baudRate), true)
        && command(SetDatasize, QByteArray(1, char(state.byteSize)), true)
        && command(SetParity, QByteArray(1, char(parity)), true)
        && command(SetStopsize, QByteArray(1, char(stop)), true)
        && command(SetControl, QByteArray(1, char(flow)), false);
}

void NetworkCommDevice::setPace(const LineState &state)
{
    // In half bits, so that one and a half stop bits stay exact.
    const int stopHalfBits = state.stopBits == 0 ? 2 : state.stopBits == 1 ? 3 : 4;
    const int halfBits = 2 + 2 * state.byteSize + (state.parity == 0 ? 0 : 2) + stopHalfBits;
    std::lock_guard guard(m_lineMutex);
    m_state = state;
    m_byteNanoseconds = qint64(halfBits) * 1'000'000'000 / (2 * qint64(qMax<quint32>(state.baudRate, 1)));
}

bool NetworkCommDevice::setupQueues(int inputSize, int outputSize)
{
    if (inputSize < 0 || outputSize < 0)
        return fail(Fault::Invalid);
    return true;
}

int NetworkCommDevice::queuedAt(Clock::time_point now) const
{
    std::lock_guard guard(m_lineMutex);
    if (m_lineFreeAt <= now || m_byteNanoseconds <= 0)
        return 0;
    const qint64 aheadNs = std::chrono::duration_cast<std::chrono::nanoseconds>(m_lineFreeAt - now).count();
    return int((aheadNs + m_byteNanoseconds - 1) / m_byteNanoseconds);
}

int NetworkCommDevice::write(const char *buffer, int count, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(qMax(timeoutMs, 0));
    std::lock_guard guard(m_sendMutex);
    int taken = 0;
    while (taken < count) {
        // Room in the model of the far line's queue, and a far side that
        // keeps up with what it was given. A full queue is let drain to
        // half before writing goes on: the line never runs dry, and the
        // writer wakes once for a run of bytes, not once for every byte.
        for (;;) {
            const auto now = Clock::now();
            const int queued = queuedAt(now);
            if (queued >= QueueDepth)
                m_refilling = true;
            else if (queued <= QueueDepth / 2)
                m_refilling = false;
            const bool farBehind = !m_refilling && m_socket->unacknowledged() >= UnacknowledgedLimit;
            if (!m_refilling && !farBehind)
                break;
            const int left = millisecondsUntil(deadline);
            if (left == 0)
                return taken;
            if (farBehind) {
                QThread::msleep(quint64(qMin(left, 2)));
                continue;
            }
            qint64 byteNs = 0;
            {
                std::lock_guard line(m_lineMutex);
                byteNs = m_byteNanoseconds;
            }
            const qint64 needUs = qMax<qint64>(1, (queued - QueueDepth / 2) * byteNs / 1000);
            QThread::usleep(quint64(qMin<qint64>(needUs, qint64(left) * 1000)));
        }
        const QByteArray unit = rfc2217() ? Telnet::escapeData(buffer + taken, 1) : QByteArray(buffer + taken, 1);
        const int sent = m_socket->send(unit.constData(), int(unit.size()), millisecondsUntil(deadline));
        if (sent < 0)
            return -1;
        if (sent == 0)
            break;
        if (sent < unit.size()) {
            // Half a doubled IAC went out: the stream must get the other half
            // or every byte after it would be read as a command.
            const int rest = m_socket->send(unit.constData() + sent, int(unit.size() - sent), AnswerTimeoutMs);
            if (rest < int(unit.size() - sent)) {
                if (rest >= 0)
                    setLastError(faultCode(Fault::TimedOut),
                                 faultText(Fault::TimedOut, u"the far side takes nothing more"_s));
                return -1;
            }
        }
        {
            std::lock_guard line(m_lineMutex);
            const auto now = Clock::now();
            m_lineFreeAt = qMax(m_lineFreeAt, now) + std::chrono::nanoseconds(m_byteNanoseconds);
        }
        m_wrote.store(true, std::memory_order_release);
        ++taken;
    }
    return taken;
}

int NetworkCommDevice::read(char *buffer, int count, int)
{
    if (count <= 0)
        return 0;
    std::lock_guard guard(m_rxMutex);
    pumpLocked();
    if (m_received.isEmpty()) {
        if (!m_closed)
            return 0;
        fail(Fault::ConnectionReset,
             faultText(Fault::ConnectionReset, u"%1 closed the connection"_s.arg(m_address.endpointText())));
        return -1;
    }
    const int got = int(qMin<qsizetype>(count, m_received.size()));
    memcpy(buffer, m_received.constData(), size_t(got));
    m_received.remove(0, got);
    m_rxReported = qMax(0, m_rxReported - got);
    return got;
}

bool NetworkCommDevice::clearError(quint32 *errors, int *inQueue)
{
    *errors = 0;
    std::lock_guard guard(m_rxMutex);
    pumpLocked();
    *inQueue = int(m_received.size());
    return true;
}

int NetworkCommDevice::outQueue()
{
    return queuedAt(Clock::now());
}

bool NetworkCommDevice::waitUntilSent()
{
    Clock::time_point freeAt;
    {
        std::lock_guard guard(m_lineMutex);
        freeAt = m_lineFreeAt;
    }
    const int lineMs = millisecondsUntil(freeAt);
    if (lineMs > 0)
        QThread::msleep(quint64(lineMs));
    // The far side has the bytes once it acknowledged them.
    const auto deadline = Clock::now() + std::chrono::milliseconds(UnacknowledgedWaitMs);
    while (m_socket->unacknowledged() > 0 && millisecondsUntil(deadline) > 0)
        QThread::msleep(2);
    return true;
}

bool NetworkCommDevice::purge(quint32 flags)
{
    if (flags & (PurgeFlag::RxAbort | PurgeFlag::RxClear)) {
        std::lock_guard guard(m_rxMutex);
        pumpLocked();
        m_received.clear();
        m_rxReported = 0;
    }
    if ((flags & (PurgeFlag::TxAbort | PurgeFlag::TxClear)) && outQueue() > 0 && rfc2217()) {
        // What the far side holds for its line is dropped there; a raw
        // connection has no way to ask, and its bytes still go out.
        if (!sendAll(Telnet::comPortCommand(Telnet::ComPort::PurgeData,
                                            QByteArray(1, char(Telnet::ComPort::PurgeTransmit))),
                     AnswerTimeoutMs))
            return false;
        std::lock_guard guard(m_lineMutex);
        m_lineFreeAt = Clock::now();
    }
    return true;
}

bool NetworkCommDevice::escape(int code)
{
    if (!rfc2217())
        return true;  // the converter's own lines are not ours to drive
    using namespace Telnet::ComPort;
    quint8 value = 0;
    switch (code) {
    case EscapeCode::SetDtr: value = DtrOn; break;
    case EscapeCode::ClrDtr: value = DtrOff; break;
    case EscapeCode::SetRts: value = RtsOn; break;
    case EscapeCode::ClrRts: value = RtsOff; break;
    case EscapeCode::SetBreak: value = BreakOn; break;
    case EscapeCode::ClrBreak: value = BreakOff; break;
    case EscapeCode::SetXoff:
    case EscapeCode::SetXon:
        return true;  // holding our own output has no far-side counterpart
    default:
        return fail(Fault::Invalid);
    }
    return command(SetControl, QByteArray(1, char(value)), false);
}

bool NetworkCommDevice::waitEvent(WakeEvent &wake, quint32 *events)
{
    for (;;) {
        quint32 found = 0;
        bool closed = false;
        int inQueue = 0;
        {
            std::lock_guard guard(m_rxMutex);
            pumpLocked();
            closed = m_closed;
            inQueue = int(m_received.size());
            // Received-character events are edge-like, as on a local port:
            // reported when more has arrived than was last reported.
            if ((m_mask & EventBit::RxChar) && inQueue > m_rxReported)
                found |= EventBit::RxChar;
            m_rxReported = inQueue;
        }
        int timeout = -1;
        if (m_mask & EventBit::TxEmpty) {
            if (m_wrote.exchange(false, std::memory_order_acq_rel))
                m_txPending = true;
            if (m_txPending && outQueue() == 0) {
                m_txPending = false;
                found |= EventBit::TxEmpty;
            }
            timeout = TxEmptyLookMs;
        }
        if (found) {
            *events = found;
            return true;
        }
        // A connection the far side ended is not watched any more: it would
        // report itself again at once.
        switch (m_socket->wait(&wake, !closed, timeout)) {
        case Socket::Wait::Woken:
            return false;
        case Socket::Wait::Failed:
            m_socket->wait(&wake, false, 100);
            return false;
        case Socket::Wait::Readable:
        case Socket::Wait::TimedOut:
            break;
        }
    }
}

std::unique_ptr<Device> CommPlatform::openNetworkDevice(const QString &name)
{
    QString error;
    const std::optional<NetworkAddress> address = NetworkAddress::parse(name, &error);
    if (!address) {
        setLastError(faultCode(Fault::Invalid), error);
        return nullptr;
    }
    return NetworkCommDevice::open(*address);
}
