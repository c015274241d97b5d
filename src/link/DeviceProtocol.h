#pragma once

// What goes over the serial line to the sign. The link is one-way: a transfer
// is one opening of the port, a preamble of 1921 copies of the transfer's
// marker character, a payload, and the closing of the port; no length,
// checksum, terminator or escaping. Nothing the sign sends is interpreted.
//
// Line settings (applied before every opening): 4800 bit/s, 8 data bits, no
// parity, 2 stop bits, no handshake (the line-state flag word is binary mode
// alone), XON 0x11 and XOFF 0x13, error/end-of-file/event characters 0,
// queue sizes 0, read and write time-outs 1000 ms, received-character and
// transmit-empty events; after opening DTR is cleared and RTS set.

#include "serial/CommHandle.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

namespace DeviceProtocol {

inline constexpr int PreambleLength = 1921;
inline constexpr char ProgramMarker = 'A';  // 0x41
inline constexpr char ClockMarker = 'd';    // 0x64
inline constexpr int ClockPayloadLength = 6;
inline constexpr int WriteTimeoutMs = 1000;
inline constexpr int ReadTimeoutMs = 1000;
// One byte is 11 bit times on the line (start, 8 data, 2 stop): 2.29 ms.
inline constexpr qint64 ByteTimeMicroseconds = 11 * 1'000'000 / 4800;

// Line time of a number of bytes at 11 bits each and 4800 bit/s, in whole
// milliseconds rounded up (1921 bytes: 4403 ms).
constexpr qint64 lineTimeMilliseconds(qint64 bytes)
{
    return (bytes * 11 * 1000 + 4799) / 4800;
}

// Sets every line setting above on the port (it may be open or closed; the
// settings that cannot change while open are only set when it is closed).
void applyLineSettings(TCommHandle &port, int writeTimeoutMs = WriteTimeoutMs);

// The six clock bytes: year modulo 100, month, day, hour, minute, second,
// each the plain binary number (not BCD). Fractions of a second are dropped.
QByteArray clockPayload(const QDate &date, const QTime &time);
inline QByteArray clockPayload(const QDateTime &moment) { return clockPayload(moment.date(), moment.time()); }

} // namespace DeviceProtocol
