#pragma once

// Writes the typed values of an object stream in their shortest forms:
// integers as 8, 16 or 32 bits by their value, colours and character sets by
// their identifiers where they have one, strings by the rules that keep pure
// ASCII 8-bit and choose UTF-8 or UTF-16 for the rest by size.

#include "document/model/Colour.h"
#include "ObjectStreamValue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

class ObjectStreamWriter {
public:
    const QByteArray &bytes() const { return m_bytes; }
    QByteArray take() { return std::move(m_bytes); }

    void writeByte(quint8 b) { m_bytes.append(char(b)); }
    void writeTag(ValueTag tag) { writeByte(quint8(tag)); }
    void writeInt32LE(qint32 value);
    void writeRaw(QByteArrayView bytes) { m_bytes.append(bytes); }

    // A length byte and the bytes (names longer than 255 bytes are cut).
    void writeShortName(QByteArrayView name);
    void writeEndOfList() { writeByte(0x00); }

    // Values, tag included.
    void writeInteger(qint32 value);
    void writeIdent(QByteArrayView name);
    void writeBoolean(bool value) { writeTag(value ? ValueTag::True : ValueTag::False); }
    void writeSet(const QList<QByteArrayView> &members);
    void writeColour(TColor colour);
    void writeCharset(int charset);
    // A string property's value.
    void writeString(QStringView text);
    // An entry of a string list: pure ASCII 8-bit, anything else UTF-8.
    void writeListString(QStringView text);

    // A property's name; its value follows.
    void writeProperty(QByteArrayView name) { writeShortName(name); }

private:
    void writeAscii(QByteArrayView ascii);

    QByteArray m_bytes;
};
