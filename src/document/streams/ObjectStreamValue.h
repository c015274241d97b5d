#pragma once

// Typed values of object streams: the collection streams of the style tables
// and the component streams of embedded controls. A value is a tag byte and
// its payload; StreamValue holds one scalar value as read (lists and
// collections are walked by their readers, never held whole).

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

enum class ValueTag : quint8 {
    EndOfList = 0x00,
    List = 0x01,
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    Extended = 0x05,     // 80-bit float, 10 bytes
    String = 0x06,       // 1-byte length, 8-bit characters
    Ident = 0x07,        // short name
    False = 0x08,
    True = 0x09,
    Binary = 0x0A,       // 4-byte length, bytes
    Set = 0x0B,          // short names, ended by an empty one
    LongString = 0x0C,   // 4-byte length, 8-bit characters
    Nil = 0x0D,
    Collection = 0x0E,
    Single = 0x0F,       // 32-bit float
    Currency = 0x10,     // 64-bit integer, value x 10000
    Date = 0x11,         // 64-bit float
    WideString = 0x12,   // 4-byte count of UTF-16 units, the units
    Int64 = 0x13,
    Utf8String = 0x14,   // 4-byte length, UTF-8 bytes
};

constexpr quint8 LastValueTag = 0x14;

struct StreamValue {
    ValueTag tag = ValueTag::Nil;
    qint64 integer = 0;           // integer tags
    QByteArray bytes;             // identifier, string bytes, binary data, float bytes
    QList<QByteArray> members;    // set members

    bool isInteger() const
    {
        return tag == ValueTag::Int8 || tag == ValueTag::Int16 || tag == ValueTag::Int32 || tag == ValueTag::Int64;
    }
    bool isString() const
    {
        return tag == ValueTag::String || tag == ValueTag::LongString || tag == ValueTag::WideString
            || tag == ValueTag::Utf8String;
    }
    bool isBoolean() const { return tag == ValueTag::False || tag == ValueTag::True; }

    // The value as a 32-bit integer, or nothing when it is not an integer
    // or does not fit.
    std::optional<qint32> toInt32() const;
    // The text of a string value: 8-bit strings in Windows-1251, the others
    // from UTF-8 or UTF-16. Nothing for other tags.
    std::optional<QString> toText() const;
};
