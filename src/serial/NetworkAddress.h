#pragma once

// A port name that is a network address rather than a device:
//   tcp://HOST:PORT      raw TCP: the bytes as they are; the converter's own
//                        line settings apply;
//   rfc2217://HOST:PORT  Telnet with the COM port control option: the line
//                        settings and modem lines are set on the far port.
// HOST is a name, an IPv4 address or an IPv6 address in brackets
// ("[::1]:2000"). The scheme is matched ignoring case.

#include <QString>

#include <optional>

struct NetworkAddress {
    enum class Kind { RawTcp, Rfc2217 };

    Kind kind = Kind::RawTcp;
    QString host;  // without the brackets of an IPv6 address
    quint16 port = 0;

    // Whether name starts with one of the two schemes (and so is opened as a
    // network connection, well-formed or not).
    static bool isNetworkName(const QString &name);
    // nullopt with *error set when the name is not a well-formed address.
    static std::optional<NetworkAddress> parse(const QString &name, QString *error = nullptr);

    // The canonical form: scheme in lower case, IPv6 hosts in brackets.
    QString toString() const;
    // "host port N", for error texts.
    QString endpointText() const;
};
