#pragma once

// Builders for the exact bytes of object streams and source files in tests:
//   name("Size") + "\x02\x0E"  ->  04 "Size" 02 0E

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace StreamBytes {

// "0E 00 01" -> the three bytes (spaces ignored).
inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out.append(char(v));
    return out;
}

inline QByteArray le16(int value)
{
    char b[2];
    qToLittleEndian(qint16(value), b);
    return QByteArray(b, 2);
}

inline QByteArray le32(qint64 value)
{
    char b[4];
    qToLittleEndian(qint32(value), b);
    return QByteArray(b, 4);
}

// A short name: its length byte and its ASCII bytes.
inline QByteArray name(const char *ascii)
{
    const QByteArray text(ascii);
    return char(text.size()) + text;
}

// Value encodings.
inline QByteArray int8(int v) { return bytes({0x02, v & 0xFF}); }
inline QByteArray ident(const char *ascii) { return '\x07' + name(ascii); }
inline QByteArray ascii(const char *text) { return '\x06' + name(text); }
inline QByteArray utf8(const QString &text)
{
    const QByteArray u = text.toUtf8();
    return '\x14' + le32(u.size()) + u;
}
inline QByteArray utf16(const QString &text)
{
    QByteArray out = '\x12' + le32(text.size());
    for (const QChar c : text)
        out += le16(c.unicode());
    return out;
}

// A binary block of a source file: 32-bit length, then the bytes.
inline QByteArray block(const QByteArray &data)
{
    return le32(data.size()) + data;
}

} // namespace StreamBytes
