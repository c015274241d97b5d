#include "StreamProperties.h"

#include "StreamIdentifiers.h"

namespace StreamProperties {

bool readInt(const StreamValue &value, int &field)
{
    const auto n = value.toInt32();
    if (!n)
        return false;
    field = *n;
    return true;
}

bool readBool(const StreamValue &value, bool &field)
{
    if (!value.isBoolean())
        return false;
    field = value.tag == ValueTag::True;
    return true;
}

bool readText(const StreamValue &value, QString &field)
{
    auto text = value.toText();
    if (!text)
        return false;
    field = std::move(*text);
    return true;
}

bool readColour(const StreamValue &value, TColor &field)
{
    if (value.tag == ValueTag::Ident) {
        const auto colour = StreamIdentifiers::colourOfName(value.bytes);
        if (!colour)
            return false;
        field = *colour;
        return true;
    }
    // Colours are 32-bit; a 64-bit form of one is taken by its low half.
    if (value.tag == ValueTag::Int64) {
        field = TColor(quint32(quint64(value.integer)));
        return true;
    }
    return readInt(value, field);
}

bool readCharset(const StreamValue &value, int &field)
{
    if (value.tag == ValueTag::Ident) {
        const auto charset = StreamIdentifiers::charsetOfName(value.bytes);
        if (!charset)
            return false;
        field = *charset;
        return true;
    }
    return readInt(value, field);
}

bool readEnum(const StreamValue &value, std::span<const char *const> names, int &field)
{
    if (value.tag != ValueTag::Ident)
        return false;
    for (size_t i = 0; i < names.size(); ++i) {
        if (value.bytes.compare(QByteArrayView(names[i]), Qt::CaseInsensitive) == 0) {
            field = int(i);
            return true;
        }
    }
    return false;
}

bool readFlags(const StreamValue &value, std::span<const char *const> names, unsigned &field)
{
    if (value.tag != ValueTag::Set)
        return false;
    unsigned bits = 0;
    for (const QByteArray &member : value.members) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (member.compare(QByteArrayView(names[i]), Qt::CaseInsensitive) == 0)
                bits |= 1u << i;
        }
    }
    field = bits;
    return true;
}

QList<QByteArrayView> flagNames(unsigned bits, std::span<const char *const> names)
{
    QList<QByteArrayView> members;
    for (size_t i = 0; i < names.size(); ++i) {
        if (bits & (1u << i))
            members.append(QByteArrayView(names[i]));
    }
    return members;
}

} // namespace StreamProperties
