#include "ObjectStreamReader.h"

#include "document/model/CodePage.h"

#include <QtEndian>

#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

std::optional<qint32> StreamValue::toInt32() const
{
    if (!isInteger() || integer < std::numeric_limits<qint32>::min() || integer > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(integer);
}

std::optional<QString> StreamValue::toText() const
{
    switch (tag) {
    case ValueTag::String:
    case ValueTag::LongString:
        return CodePage::fromWindows1251(bytes);
    case ValueTag::Utf8String:
        return QString::fromUtf8(bytes);
    case ValueTag::WideString:
        return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    default:
        return std::nullopt;
    }
}

bool ObjectStreamReader::report(StreamError *error) const
{
    if (!ok() && error)
        *error = StreamError{m_error, m_errorOffset};
    return ok();
}

void ObjectStreamReader::fail(const QString &reason)
{
    if (!ok())
        return;
    m_error = reason;
    m_errorOffset = m_pos;
    m_pos = m_data.size();
}

QByteArrayView ObjectStreamReader::take(qsizetype count)
{
    if (!ok())
        return {};
    if (count < 0 || count > remaining()) {
        fail(u"a value runs past the end of the stream"_s);
        return {};
    }
    const QByteArrayView bytes = m_data.sliced(m_pos, count);
    m_pos += count;
    return bytes;
}

quint8 ObjectStreamReader::readByte()
{
    const QByteArrayView b = take(1);
    return b.isEmpty() ? 0 : quint8(b[0]);
}

bool ObjectStreamReader::expectBytes(QByteArrayView bytes)
{
    if (!ok() || remaining() < bytes.size() || m_data.sliced(m_pos, bytes.size()) != bytes)
        return false;
    m_pos += bytes.size();
    return true;
}

qint32 ObjectStreamReader::readInt32LE()
{
    const QByteArrayView b = take(4);
    return b.size() == 4 ? qFromLittleEndian<qint32>(b.data()) : 0;
}

qint64 ObjectStreamReader::readLength()
{
    const qint32 length = readInt32LE();
    if (length < 0)
        fail(u"negative length %1"_s.arg(length));
    return length;
}

QByteArrayView ObjectStreamReader::readShortNameView()
{
    const quint8 length = readByte();
    return take(length);
}

std::optional<QString> ObjectStreamReader::readText()
{
    const ValueTag tag = readTag();
    QByteArrayView bytes;
    switch (tag) {
    case ValueTag::String:
        bytes = take(readByte());
        return ok() ? std::optional<QString>(CodePage::fromWindows1251(bytes)) : std::nullopt;
    case ValueTag::LongString:
        bytes = take(readLength());
        return ok() ? std::optional<QString>(CodePage::fromWindows1251(bytes)) : std::nullopt;
    case ValueTag::Utf8String:
        bytes = take(readLength());
        return ok() ? std::optional<QString>(QString::fromUtf8(bytes)) : std::nullopt;
    case ValueTag::WideString: {
        const qint64 units = readLength();
        bytes = take(units <= remaining() / 2 ? units * 2 : remaining() + 1);
        if (!ok())
            return std::nullopt;
        return QString(reinterpret_cast<const QChar *>(bytes.data()), bytes.size() / 2);
    }
    default:
        skipPayload(tag);
        return std::nullopt;
    }
}

ValueTag ObjectStreamReader::readTag()
{
    const quint8 tag = readByte();
    if (tag > LastValueTag) {
        m_pos -= 1;
        fail(u"unknown value tag 0x%1"_s.arg(uint(tag), 2, 16, QChar(u'0')));
        return ValueTag::EndOfList;
    }
    return ValueTag(tag);
}

StreamValue ObjectStreamReader::readScalar(ValueTag tag)
{
    StreamValue value;
    value.tag = tag;
    switch (tag) {
    case ValueTag::Int8: {
        const QByteArrayView b = take(1);
        value.integer = b.isEmpty() ? 0 : qint8(b[0]);
        break;
    }
    case ValueTag::Int16: {
        const QByteArrayView b = take(2);
        value.integer = b.size() == 2 ? qFromLittleEndian<qint16>(b.data()) : 0;
        break;
    }
    case ValueTag::Int32:
        value.integer = readInt32LE();
        break;
    case ValueTag::Int64: {
        const QByteArrayView b = take(8);
        value.integer = b.size() == 8 ? qFromLittleEndian<qint64>(b.data()) : 0;
        break;
    }
    case ValueTag::Extended:
        value.bytes = take(10).toByteArray();
        break;
    case ValueTag::Single:
        value.bytes = take(4).toByteArray();
        break;
    case ValueTag::Currency:
    case ValueTag::Date:
        value.bytes = take(8).toByteArray();
        break;
    case ValueTag::String:
        value.bytes = take(readByte()).toByteArray();
        break;
    case ValueTag::Ident:
        value.bytes = readShortName();
        break;
    case ValueTag::False:
    case ValueTag::True:
    case ValueTag::Nil:
        value.integer = tag == ValueTag::True ? 1 : 0;
        break;
    case ValueTag::Binary:
    case ValueTag::LongString:
    case ValueTag::Utf8String:
        value.bytes = take(readLength()).toByteArray();
        break;
    case ValueTag::WideString: {
        const qint64 units = readLength();
        value.bytes = take(units <= remaining() / 2 ? units * 2 : remaining() + 1).toByteArray();
        break;
    }
    case ValueTag::Set:
        while (ok()) {
            QByteArray member = readShortName();
            if (member.isEmpty())
                break;
            value.members.append(std::move(member));
        }
        break;
    case ValueTag::EndOfList:
    case ValueTag::List:
    case ValueTag::Collection:
        fail(u"a scalar value was expected"_s);
        break;
    }
    if (!ok())
        return StreamValue{};
    return value;
}

StreamValue ObjectStreamReader::readValue()
{
    const ValueTag tag = readTag();
    if (tag == ValueTag::List || tag == ValueTag::Collection) {
        skipPayload(tag);
        StreamValue value;
        value.tag = tag;
        return value;
    }
    return readScalar(tag);
}

void ObjectStreamReader::skipProperties(int depth)
{
    while (ok()) {
        if (readShortNameView().isEmpty())
            return;
        skipValue(depth);
    }
}

void ObjectStreamReader::skipPayload(ValueTag tag, int depth)
{
    if (!ok())
        return;
    switch (tag) {
    case ValueTag::List:
        if (depth >= MaxDepth)
            return fail(u"lists nested too deeply"_s);
        while (ok() && peekByte() != 0x00)
            skipValue(depth + 1);
        readByte();
        return;
    case ValueTag::Collection:
        if (depth >= MaxDepth)
            return fail(u"collections nested too deeply"_s);
        while (ok()) {
            ValueTag next = readTag();
            if (next == ValueTag::EndOfList)
                return;
            if (next == ValueTag::Int8 || next == ValueTag::Int16 || next == ValueTag::Int32) {
                readScalar(next);
                next = readTag();
            }
            if (next != ValueTag::List)
                return fail(u"a collection entry does not start with 0x01"_s);
            skipProperties(depth + 1);
        }
        return;
    case ValueTag::EndOfList:
        return fail(u"an end of list stands where a value was expected"_s);
    default:
        readScalar(tag);
        return;
    }
}
