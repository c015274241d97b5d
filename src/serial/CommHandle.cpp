#include "CommHandle.h"

#include "CommEventThread.h"
#include "CommHandOverQueue.h"
#include "NetworkAddress.h"
#include "NetworkCommDevice.h"

#include <QDeadlineTimer>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace CommPlatform;

TCommHandle::TCommHandle(QObject *owner)
    : TCommunicationConnection(owner)
    , m_handOver(std::make_unique<CommHandOverQueue>())
{
}

TCommHandle::~TCommHandle()
{
    closeForDestruction();
}

qintptr TCommHandle::Handle() const
{
    return m_device ? m_device->nativeHandle() : qintptr(-1);
}

void TCommHandle::raiseLastError(const QString &function)
{
    const Error error = lastError();
    throw EComError(error.code, error.text, function);
}

void TCommHandle::settingChanged()
{
    if (Active() && m_device)
        ApplySettings();
}

void TCommHandle::setBaudrate(TBaudrate value)
{
    if (value == m_baudrate)
        return;
    m_baudrate = value;
    settingChanged();
}

void TCommHandle::setParity(TParity value)
{
    if (value == m_parity)
        return;
    m_parity = value;
    settingChanged();
}

void TCommHandle::setStopbits(TStopbits value)
{
    if (value == m_stopbits)
        return;
    m_stopbits = value;
    settingChanged();
}

void TCommHandle::setDatabits(TDatabits value)
{
    if (value == m_databits)
        return;
    m_databits = value;
    settingChanged();
}

void TCommHandle::setFlowControl(TFlowControl value)
{
    if (value == m_flowControl)
        return;
    m_flowControl = value;
    settingChanged();
}

void TCommHandle::setOptions(TCommOptions value)
{
    if (value == m_options)
        return;
    m_options = value;
    settingChanged();
}

void TCommHandle::setChar(int index, char value)
{
    if (m_chars[std::size_t(index)] == value)
        return;
    m_chars[std::size_t(index)] = value;
    settingChanged();
}

void TCommHandle::setReadBufSize(int value)
{
    CheckInactive();
    m_readBufSize = value;
}

void TCommHandle::setWriteBufSize(int value)
{
    CheckInactive();
    m_writeBufSize = value;
}

void TCommHandle::setMonitorEvents(TCommEventTypes value)
{
    CheckInactive();
    m_monitorEvents = value;
}

void TCommHandle::setDevice(std::unique_ptr<Device> device)
{
    m_device = std::move(device);
}

void TCommHandle::DoOpen()
{
    if (!m_device) {
        setLastError(faultCode(Fault::BadHandle));
        raiseLastError(u"CreateFile"_s);
    }
    m_eventThread = std::make_unique<TCommEventThread>(this, m_monitorEvents, m_device.get(), m_handOver.get());
    // From here on a failure leaves the thread and the device to DoClose,
    // which the opening runs at once.
    if (!m_device->setReadReturnsAtOnce())
        raiseLastError(u"SetCommTimeouts"_s);
    ApplySettings();
    if (!m_device->setupQueues(m_readBufSize, m_writeBufSize))
        raiseLastError(u"SetupComm"_s);
}

void TCommHandle::DoClose()
{
    if (!m_device)
        return;
    if (m_eventThread) {
        TCommEventThread *thread = m_eventThread.get();
        thread->Stop();
        // The thread may be waiting for us to run a batch it handed over;
        // keep running those until it has ended.
        m_handOver->waitUntil([thread] { return thread->hasEnded(); });
        thread->wait();
        m_eventThread.reset();
    }
    m_device.reset();
}

void TCommHandle::ApplySettings()
{
    if (!m_device)
        return;
    LineState state;
    if (!m_device->getState(&state))
        raiseLastError(u"SetCommState"_s);

    state.baudRate = baudrateValue(m_baudrate);
    state.parity = quint8(m_parity);
    state.stopBits = quint8(m_stopbits);
    state.byteSize = quint8(4 + m_databits);
    state.xonChar = m_chars[0];
    state.xoffChar = m_chars[1];
    state.errorChar = m_chars[2];
    state.eofChar = m_chars[3];
    state.evtChar = m_chars[4];
    const quint16 limit = quint16(qBound(0, m_readBufSize / 4, 0xFFFF));
    state.xonLimit = limit;
    state.xoffLimit = limit;

    switch (m_flowControl) {
    case fcNone:
        state.flags = LineFlag::Binary;
        break;
    case fcCTS:
        state.flags |= LineFlag::OutxCtsFlow | LineFlag::RtsControlHandshake;
        break;
    case fcDTR:
        state.flags |= LineFlag::OutxDsrFlow | LineFlag::DtrControlHandshake;
        break;
    case fcSoftware:
        state.flags |= LineFlag::OutX | LineFlag::InX;
        break;
    case fcDefault:
        break;
    }

    auto option = [&state, this](TCommOption member, quint32 flag) {
        if (m_options.testFlag(member))
            state.flags |= flag;
        else
            state.flags &= ~flag;
    };
    option(coParityCheck, LineFlag::ParityCheck);
    option(coDsrSensitivity, LineFlag::DsrSensitivity);
    option(coIgnoreXOff, LineFlag::TxContinueOnXoff);
    option(coErrorChar, LineFlag::ErrorChar);
    option(coNullStrip, LineFlag::NullStrip);

    if (!m_device->setState(state))
        raiseLastError(u"SetCommState"_s);
}

int TCommHandle::InQueCount()
{
    if (!m_device)
        return -1;
    quint32 errors = 0;
    int inQueue = 0;
    m_device->clearError(&errors, &inQueue);
    return inQueue;
}

void TCommHandle::PurgeIn()
{
    if (m_device)
        m_device->purge(PurgeFlag::RxAbort | PurgeFlag::RxClear);
}

void TCommHandle::PurgeOut()
{
    if (m_device)
        m_device->purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
}

int TCommHandle::Write(const char *buffer, int count)
{
    QMutexLocker locker(&m_ioLock);
    if (!m_device) {
        setLastError(faultCode(Fault::BadHandle));
        raiseLastError(u"WriteFile"_s);
    }
    const int written = m_device->write(buffer, count, WriteTimeout());
    if (written < 0)
        raiseLastError(u"WriteFile"_s);
    return written;
}

int TCommHandle::Read(char *buffer, int count)
{
    QMutexLocker locker(&m_ioLock);
    if (!m_device) {
        setLastError(faultCode(Fault::BadHandle));
        raiseLastError(u"ReadFile"_s);
    }
    const int got = m_device->read(buffer, count, ReadTimeout());
    if (got < 0)
        raiseLastError(u"ReadFile"_s);
    return got;
}

void TCommHandle::SetSignal(TCommSignal line, bool state)
{
    CheckActive();
    int code = 0;
    switch (line) {
    case siDtr:
        code = state ? EscapeCode::SetDtr : EscapeCode::ClrDtr;
        break;
    case siRts:
        code = state ? EscapeCode::SetRts : EscapeCode::ClrRts;
        break;
    case siBreak:
        code = state ? EscapeCode::SetBreak : EscapeCode::ClrBreak;
        break;
    case siTransmission:
        code = state ? EscapeCode::SetXon : EscapeCode::SetXoff;
        break;
    }
    if (!m_device->escape(code))
        raiseLastError(u"EscapeCommFunction"_s);
    if (line == siBreak)
        m_device->purge(PurgeFlag::TxAbort | PurgeFlag::RxAbort | PurgeFlag::TxClear | PurgeFlag::RxClear);
}

int TCommHandle::pendingHandOvers() const
{
    return m_handOver->pending();
}

int TCommHandle::OutQueCount()
{
    return m_device ? m_device->outQueue() : -1;
}

qint64 TCommHandle::byteTimeMicroseconds() const
{
    // In half bits, so that one and a half stop bits stay exact.
    const int stopHalfBits = m_stopbits == sb10 ? 2 : m_stopbits == sb15 ? 3 : 4;
    const int halfBits = 2 /* start */ + 2 * (4 + int(m_databits)) + (m_parity == paNone ? 0 : 2) + stopHalfBits;
    return qint64(halfBits) * 1'000'000 / (2 * qint64(baudrateValue(m_baudrate)));
}

int TCommHandle::DrainOut(int marginMs, const std::function<bool()> &stopRequested)
{
    if (!m_device)
        return 0;
    int queued = m_device->outQueue();
    if (queued < 0) {
        // The driver cannot say how much is left; let it wait on its own.
        m_device->waitUntilSent();
        return 0;
    }
    const qint64 byteUs = byteTimeMicroseconds();
    const QDeadlineTimer deadline(queued * byteUs / 1000 + qMax(marginMs, 0));
    while (queued > 0) {
        if (deadline.hasExpired() || (stopRequested && stopRequested()))
            return queued;
        // Sleep about as long as the queue needs, but look again often enough
        // to return soon after it empties.
        const qint64 needMs = qBound<qint64>(qint64(1), queued * byteUs / 1000, qint64(50));
        QThread::msleep(quint64(qMin(needMs, qMax<qint64>(1, deadline.remainingTime()))));
        queued = m_device->outQueue();
    }
    m_device->waitUntilSent();
    return 0;
}

void TCommHandle::HandleEvents(quint32 eventMask)
{
    quint32 errors = 0;
    int inQueue = 0;
    if (m_device)
        m_device->clearError(&errors, &inQueue);

    if ((eventMask & EventBit::Break) && m_onBreak)
        m_onBreak(this);
    if ((eventMask & EventBit::Cts) && m_onCts)
        m_onCts(this);
    if ((eventMask & EventBit::Dsr) && m_onDsr)
        m_onDsr(this);
    if ((eventMask & EventBit::Err) && m_onError)
        m_onError(this, errors);
    if ((eventMask & EventBit::Ring) && m_onRing)
        m_onRing(this);
    if ((eventMask & EventBit::Rlsd) && m_onRlsd)
        m_onRlsd(this);
    if ((eventMask & EventBit::RxChar) && inQueue > 0)
        DoRxChar(inQueue);
    if ((eventMask & EventBit::RxFlag) && m_onRxFlag)
        m_onRxFlag(this);
    if ((eventMask & EventBit::TxEmpty) && m_onTxEmpty)
        m_onTxEmpty(this);
}

TComm::TComm(QObject *owner)
    : TCommHandle(owner)
{
}

TComm::~TComm()
{
    closeForDestruction();
}

void TComm::setDeviceName(const QString &name)
{
    CheckInactive();
    m_deviceName = name;
}

void TComm::DoOpen()
{
    std::unique_ptr<Device> opened = NetworkAddress::isNetworkName(m_deviceName) ? openNetworkDevice(m_deviceName)
                                                                                 : openDevice(m_deviceName);
    if (!opened)
        raiseLastError(u"CreateFile"_s);
    if (!opened->isCharacterDevice())
        raiseLastError(u"GetFileType"_s);
    setDevice(std::move(opened));
    TCommHandle::DoOpen();
}

void TComm::DoClose()
{
    TCommHandle::DoClose();
}
