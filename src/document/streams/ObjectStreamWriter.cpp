#include "ObjectStreamWriter.h"

#include "StreamIdentifiers.h"

#include <QtEndian>

namespace {

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

void ObjectStreamWriter::writeInt32LE(qint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    m_bytes.append(b, 4);
}

void ObjectStreamWriter::writeShortName(QByteArrayView name)
{
    const QByteArrayView cut = name.first(qMin<qsizetype>(name.size(), 255));
    writeByte(quint8(cut.size()));
    m_bytes.append(cut);
}

void ObjectStreamWriter::writeInteger(qint32 value)
{
    if (value >= -128 && value <= 127) {
        writeTag(ValueTag::Int8);
        writeByte(quint8(qint8(value)));
    } else if (value >= -32768 && value <= 32767) {
        writeTag(ValueTag::Int16);
        char b[2];
        qToLittleEndian(qint16(value), b);
        m_bytes.append(b, 2);
    } else {
        writeTag(ValueTag::Int32);
        writeInt32LE(value);
    }
}

void ObjectStreamWriter::writeIdent(QByteArrayView name)
{
    writeTag(ValueTag::Ident);
    writeShortName(name);
}

void ObjectStreamWriter::writeSet(const QList<QByteArrayView> &members)
{
    writeTag(ValueTag::Set);
    for (const QByteArrayView member : members) {
        if (!member.isEmpty())
            writeShortName(member);
    }
    writeEndOfList();
}

void ObjectStreamWriter::writeColour(TColor colour)
{
    if (const char *name = StreamIdentifiers::colourName(colour))
        writeIdent(name);
    else
        writeInteger(colour);
}

void ObjectStreamWriter::writeCharset(int charset)
{
    if (const char *name = StreamIdentifiers::charsetName(charset))
        writeIdent(name);
    else
        writeInteger(charset);
}

void ObjectStreamWriter::writeAscii(QByteArrayView ascii)
{
    if (ascii.size() <= 255) {
        writeTag(ValueTag::String);
        writeByte(quint8(ascii.size()));
    } else {
        writeTag(ValueTag::LongString);
        writeInt32LE(qint32(ascii.size()));
    }
    m_bytes.append(ascii);
}

void ObjectStreamWriter::writeString(QStringView text)
{
    // UTF-8 when it is shorter than UTF-16, UTF-16 otherwise (a text of
    // Cyrillic letters alone takes two bytes a letter either way).
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() < 2 * text.size()) {
        if (isAscii(text))
            return writeAscii(utf8);
        writeTag(ValueTag::Utf8String);
        writeInt32LE(qint32(utf8.size()));
        m_bytes.append(utf8);
        return;
    }
    writeTag(ValueTag::WideString);
    writeInt32LE(qint32(text.size()));
    for (const QChar c : text) {
        writeByte(quint8(c.unicode() & 0xFF));
        writeByte(quint8(c.unicode() >> 8));
    }
}

void ObjectStreamWriter::writeListString(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    if (isAscii(text))
        return writeAscii(utf8);
    writeTag(ValueTag::Utf8String);
    writeInt32LE(qint32(utf8.size()));
    m_bytes.append(utf8);
}
