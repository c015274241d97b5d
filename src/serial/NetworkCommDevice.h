#pragma once

// A network port as a serial device: a TCP connection to a serial-to-Ethernet
// converter or to ser2net, raw (tcp://) or with the COM port control option
// of RFC 2217 (rfc2217://), behind the same CommPlatform::Device interface as
// a local port, so that the port component, its event thread and the
// transfers run over it unchanged.
//
// The far line is modelled here: a byte counts as on its way once the
// connection took it, and its line time (at the line settings last applied)
// starts when the line is free. A write waits once that model holds
// QueueDepth bytes until it has drained to half, so writes go out at line
// speed with a short queue ahead, as they do into a local port's driver; the output queue count and
// the drain wait read the same model. Without it a socket would take the
// whole program in a moment, the time left would mean nothing and a stop
// would leave the far side still sending for minutes.
//
// RFC 2217: opening greets the far side and waits for it to accept the COM
// port option; applying line settings sends baud rate, data size, parity and
// stop bits and waits for each answer: a refused value or no answer within
// AnswerTimeoutMs fails the setting, with its name in the error. Flow control
// and the modem lines (DTR, RTS, break) are sent and answered within
// ModemAnswerMs when the far port has them; a far port without them (ser2net
// in front of a pseudo-terminal) leaves them unanswered, which counts as done,
// as a local pseudo-terminal's refused modem lines do. Data has IAC doubled
// going out and undone coming in. Raw TCP has no line settings to send: they
// only set the pace.
//
// Threads: as for every Device, write runs on the writing thread while the
// event thread waits and the owner reads; the sends are serialised by one
// lock, the reads (and the Telnet reader) by another.

#include "CommPlatform.h"
#include "NetworkAddress.h"
#include "TelnetComPort.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

class NetworkCommDevice final : public CommPlatform::Device {
public:
    static constexpr int QueueDepth = 256;
    static constexpr int ConnectTimeoutMs = 10000;
    static constexpr int AnswerTimeoutMs = 3000;
    static constexpr int ModemAnswerMs = 300;

    NetworkCommDevice(const NetworkAddress &address, std::unique_ptr<CommPlatform::Socket> socket);
    ~NetworkCommDevice() override;

    // Connects (and, for RFC 2217, waits for the option to be accepted).
    // Null with the error set on failure.
    static std::unique_ptr<NetworkCommDevice> open(const NetworkAddress &address);

    qintptr nativeHandle() const override;
    bool isCharacterDevice() override { return true; }
    bool setEventMask(quint32 mask) override;
    bool waitEvent(CommPlatform::WakeEvent &wake, quint32 *events) override;
    bool setReadReturnsAtOnce() override { return true; }
    bool getState(CommPlatform::LineState *state) override;
    bool setState(const CommPlatform::LineState &state) override;
    bool setupQueues(int inputSize, int outputSize) override;
    int write(const char *buffer, int count, int timeoutMs) override;
    int read(char *buffer, int count, int timeoutMs) override;
    bool clearError(quint32 *errors, int *inQueue) override;
    int outQueue() override;
    bool waitUntilSent() override;
    bool purge(quint32 flags) override;
    bool escape(int code) override;

private:
    using Clock = std::chrono::steady_clock;

    bool rfc2217() const { return m_address.kind == NetworkAddress::Kind::Rfc2217; }
    // Sends bytes as they are, all of them, within timeoutMs; false with the
    // error set when they did not all go.
    bool sendAll(const QByteArray &bytes, int timeoutMs);
    // Takes what has arrived into the receive buffer (m_rxMutex held).
    // False when the connection ended.
    bool pumpLocked();
    bool pump();
    // Waits until the far side acknowledges the COM port option.
    bool greet();
    // Sends a COM port command and waits for its answer. required: no answer
    // within the time is an error; otherwise it counts as done.
    bool command(quint8 code, const QByteArray &value, bool required);
    // The line time of one byte at these settings.
    void setPace(const CommPlatform::LineState &state);
    // Bytes of the model still ahead of the far line, at time now.
    int queuedAt(Clock::time_point now) const;

    const NetworkAddress m_address;
    const std::unique_ptr<CommPlatform::Socket> m_socket;

    std::mutex m_sendMutex;
    bool m_refilling = false;  // the queue was full and drains to half (under m_sendMutex)

    std::mutex m_rxMutex;
    Telnet::TelnetReader m_telnet;
    QByteArray m_received;
    bool m_closed = false;  // the far side ended the connection
    int m_rxReported = 0;   // received bytes the last event told of

    // The far line's model.
    mutable std::mutex m_lineMutex;
    Clock::time_point m_lineFreeAt{};
    qint64 m_byteNanoseconds = 0;
    CommPlatform::LineState m_state;

    // Event thread only.
    quint32 m_mask = 0;
    bool m_txPending = false;
    std::atomic<bool> m_wrote{false};
};

namespace CommPlatform {
// Opens a network port name (tcp://..., rfc2217://...). Null with the error set.
std::unique_ptr<Device> openNetworkDevice(const QString &name);
}
