#pragma once

// The Telnet side of a network port with the COM port control option
// (RFC 2217): what goes out (data with IAC doubled, option negotiation,
// COM-PORT-OPTION commands) and a reader that splits what comes back into
// data bytes and the far side's answers. No sockets here: the network device
// feeds bytes in and sends what it is given, so the codec is the same on
// every platform.
//
// Negotiation: the client (we) offers WILL COM-PORT-OPTION and binary mode in
// both directions; it accepts suppress-go-ahead and binary, and refuses every
// other option the far side offers or asks for. Each option keeps a state per
// direction so that an answer is never answered again (no negotiation loop).

#include <QByteArray>
#include <QString>

#include <array>
#include <deque>

namespace Telnet {

enum : quint8 {
    SE = 240, NOP = 241, DM = 242, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255,
};
enum : quint8 { OptionBinary = 0, OptionEcho = 1, OptionSuppressGoAhead = 3, OptionComPort = 44 };

// COM-PORT-OPTION commands from client to server; the server answers with
// the command plus ServerReply.
namespace ComPort {
enum : quint8 {
    Signature = 0, SetBaudrate = 1, SetDatasize = 2, SetParity = 3, SetStopsize = 4, SetControl = 5,
    NotifyLinestate = 6, NotifyModemstate = 7, FlowControlSuspend = 8, FlowControlResume = 9,
    SetLinestateMask = 10, SetModemstateMask = 11, PurgeData = 12,
    ServerReply = 100,
};
// Values of SetControl.
enum : quint8 {
    NoFlowControl = 1, XonXoffFlowControl = 2, HardwareFlowControl = 3,
    BreakOn = 5, BreakOff = 6, DtrOn = 8, DtrOff = 9, RtsOn = 11, RtsOff = 12,
};
// Values of SetParity and SetStopsize.
enum : quint8 { ParityNone = 1, ParityOdd = 2, ParityEven = 3, ParityMark = 4, ParitySpace = 5 };
enum : quint8 { StopOne = 1, StopTwo = 2, StopOneAndHalf = 3 };
// Values of PurgeData.
enum : quint8 { PurgeReceive = 1, PurgeTransmit = 2, PurgeBoth = 3 };
} // namespace ComPort

// count bytes of data with every IAC doubled.
QByteArray escapeData(const char *data, int count);
// IAC verb option.
QByteArray negotiation(quint8 verb, quint8 option);
// IAC SB COM-PORT-OPTION command value IAC SE, the value's IACs doubled.
QByteArray comPortCommand(quint8 command, const QByteArray &value);
// The value of SetBaudrate: four bytes, most significant first.
QByteArray baudrateValue(quint32 baud);
// What the client sends right after connecting.
QByteArray clientGreeting();

// A name for a command (and value) in error texts: "the baud rate", "DTR off".
QString settingName(quint8 command, const QByteArray &value = {});

struct ComPortAnswer {
    quint8 command = 0;  // the client command it answers (reply code minus ServerReply)
    QByteArray value;
};

// Reads what the far side sends. Not thread-safe: its owner serialises.
class TelnetReader {
public:
    TelnetReader();

    // Splits bytes into data (appended to *data) and Telnet commands, which
    // update the option states, queue replies (replies()) and answers
    // (answers()).
    void feed(const char *bytes, int count, QByteArray *data);

    // Negotiation replies to send, taken by the caller.
    QByteArray takeReplies();
    std::deque<ComPortAnswer> &answers() { return m_answers; }

    // The far side agreed to COM-PORT-OPTION (DO), or refused it (DONT).
    bool comPortAccepted() const { return m_us[Telnet::OptionComPort] == State::Yes; }
    bool comPortRefused() const { return m_comPortRefused; }

private:
    enum class State : quint8 { No, Asked, Yes };
    enum class Mode { Data, Command, Option, Sub, SubCommand };

    void command(quint8 verb, quint8 option);
    void subnegotiation();

    Mode m_mode = Mode::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    std::array<State, 256> m_us{};    // options we perform (WILL/WONT from us)
    std::array<State, 256> m_them{};  // options the far side performs
    QByteArray m_replies;
    std::deque<ComPortAnswer> m_answers;
    bool m_comPortRefused = false;
};

} // namespace Telnet
