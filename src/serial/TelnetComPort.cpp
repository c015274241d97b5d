#include "TelnetComPort.h"

using namespace Qt::StringLiterals;

namespace Telnet {

QByteArray escapeData(const char *data, int count)
{
    QByteArray out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        out.append(data[i]);
        if (quint8(data[i]) == IAC)
            out.append(char(IAC));
    }
    return out;
}

QByteArray negotiation(quint8 verb, quint8 option)
{
    return QByteArray{} + char(IAC) + char(verb) + char(option);
}

QByteArray comPortCommand(quint8 command, const QByteArray &value)
{
    QByteArray out;
    out += char(IAC);
    out += char(SB);
    out += char(OptionComPort);
    out += char(command);
    out += escapeData(value.constData(), int(value.size()));
    out += char(IAC);
    out += char(SE);
    return out;
}

QByteArray baudrateValue(quint32 baud)
{
    QByteArray value(4, '\0');
    value[0] = char(baud >> 24);
    value[1] = char(baud >> 16);
    value[2] = char(baud >> 8);
    value[3] = char(baud);
    return value;
}

QByteArray clientGreeting()
{
    return negotiation(WILL, OptionComPort) + negotiation(WILL, OptionBinary) + negotiation(DO, OptionBinary);
}

QString settingName(quint8 command, const QByteArray &value)
{
    const int first = value.isEmpty() ? -1 : quint8(value.at(0));
    switch (command) {
    case ComPort::SetBaudrate: return u"the baud rate"_s;
    case ComPort::SetDatasize: return u"the data size"_s;
    case ComPort::SetParity: return u"the parity"_s;
    case ComPort::SetStopsize: return u"the stop bits"_s;
    case ComPort::PurgeData: return u"the purge"_s;
    case ComPort::SetControl:
        switch (first) {
        case ComPort::NoFlowControl:
        case ComPort::XonXoffFlowControl:
        case ComPort::HardwareFlowControl: return u"the flow control"_s;
        case ComPort::BreakOn: return u"break on"_s;
        case ComPort::BreakOff: return u"break off"_s;
        case ComPort::DtrOn: return u"DTR on"_s;
        case ComPort::DtrOff: return u"DTR off"_s;
        case ComPort::RtsOn: return u"RTS on"_s;
        case ComPort::RtsOff: return u"RTS off"_s;
        default: return u"the control lines"_s;
        }
    default: return u"COM port command %1"_s.arg(command);
    }
}

TelnetReader::TelnetReader()
{
    // What clientGreeting() asked for.
    m_us[OptionComPort] = State::Asked;
    m_us[OptionBinary] = State::Asked;
    m_them[OptionBinary] = State::Asked;
}

void TelnetReader::feed(const char *bytes, int count, QByteArray *data)
{
    for (int i = 0; i < count; ++i) {
        const quint8 byte = quint8(bytes[i]);
        switch (m_mode) {
        case Mode::Data:
            if (byte == IAC)
                m_mode = Mode::Command;
            else
                data->append(char(byte));
            break;
        case Mode::Command:
            if (byte == IAC) {
                data->append(char(IAC));
                m_mode = Mode::Data;
            } else if (byte >= WILL) {
                m_verb = byte;
                m_mode = Mode::Option;
            } else if (byte == SB) {
                m_sub.clear();
                m_mode = Mode::Sub;
            } else {
                // NOP, data mark, go-ahead and the other one-byte commands
                // carry nothing for a one-way line.
                m_mode = Mode::Data;
            }
            break;
        case Mode::Option:
            command(m_verb, byte);
            m_mode = Mode::Data;
            break;
        case Mode::Sub:
            if (byte == IAC)
                m_mode = Mode::SubCommand;
            else
                m_sub.append(char(byte));
            break;
        case Mode::SubCommand:
            if (byte == IAC) {
                m_sub.append(char(IAC));
                m_mode = Mode::Sub;
            } else {
                // SE, or a malformed end: either way the subnegotiation is over.
                subnegotiation();
                m_mode = Mode::Data;
            }
            break;
        }
    }
}

void TelnetReader::command(quint8 verb, quint8 option)
{
    const bool weMay = option == OptionComPort || option == OptionBinary || option == OptionSuppressGoAhead;
    const bool theyMay = option == OptionBinary || option == OptionSuppressGoAhead;
    State &us = m_us[option];
    State &them = m_them[option];
    switch (verb) {
    case DO:
        if (us == State::Yes)
            break;
        if (weMay) {
            if (us != State::Asked)
                m_replies += negotiation(WILL, option);
            us = State::Yes;
        } else {
            m_replies += negotiation(WONT, option);
            us = State::No;
        }
        break;
    case DONT:
        if (option == OptionComPort)
            m_comPortRefused = true;
        if (us == State::Yes)
            m_replies += negotiation(WONT, option);
        us = State::No;
        break;
    case WILL:
        if (them == State::Yes)
            break;
        if (theyMay) {
            if (them != State::Asked)
                m_replies += negotiation(DO, option);
            them = State::Yes;
        } else {
            m_replies += negotiation(DONT, option);
            them = State::No;
        }
        break;
    case WONT:
        if (them == State::Yes)
            m_replies += negotiation(DONT, option);
        them = State::No;
        break;
    default:
        break;
    }
}

void TelnetReader::subnegotiation()
{
    if (m_sub.size() < 2 || quint8(m_sub.at(0)) != OptionComPort)
        return;
    const quint8 code = quint8(m_sub.at(1));
    if (code < ComPort::ServerReply)
        return;
    m_answers.push_back(ComPortAnswer{quint8(code - ComPort::ServerReply), m_sub.mid(2)});
}

QByteArray TelnetReader::takeReplies()
{
    QByteArray replies;
    replies.swap(m_replies);
    return replies;
}

} // namespace Telnet
