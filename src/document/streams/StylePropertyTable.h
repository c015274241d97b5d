#pragma once

// Style entries are written and read by walking one table per kind of entry:
// each row gives a property's name, the member it stands for, the kind of its
// value and, for enumerations and sets, the names of the values. The rows are
// in the order the properties are written. A property is written only when it
// differs from a default-constructed entry, unless its row says it is always
// written; the decoder finds a property's row by name, and skips a property
// that has none with its value.
//
// A value of the wrong type leaves the member at its default.

#include "CollectionStream.h"
#include "StreamProperties.h"

#include <QByteArrayView>
#include <QList>

#include <span>
#include <tuple>

namespace StylePropertyTable {

enum class Kind {
    Integer,
    Boolean,
    Text,
    Colour,      // a colour identifier or an integer
    Charset,     // a character set identifier or an integer
    Enum,        // the name of a value
    Flags,       // a set of value names, one per bit
    NameSet,     // a set of names, kept as read
    Collection,  // entries of their own table; always written
};

// The member a property stands for: a path of member pointers, so that a
// sub-object's property (Border.Width) is one row too.
template <auto First, auto... Rest>
struct Member {
    template <typename Object>
    static constexpr auto &of(Object &object)
    {
        auto &field = object.*First;
        if constexpr (sizeof...(Rest) == 0)
            return field;
        else
            return Member<Rest...>::of(field);
    }
};

struct NoEntries {};

template <Kind K, typename Path, typename Entries = NoEntries>
struct Property {
    static constexpr Kind kind = K;
    using Field = Path;
    QByteArrayView name;
    std::span<const char *const> names{};
    bool always = false;
    Entries entries{};
};

template <Kind K, auto... Path>
constexpr auto property(QByteArrayView name, std::span<const char *const> names = {})
{
    return Property<K, Member<Path...>>{name, names};
}

template <Kind K, auto... Path>
constexpr auto alwaysWritten(QByteArrayView name)
{
    return Property<K, Member<Path...>>{name, {}, true};
}

// A collection property whose entries are described by `entries`.
template <auto... Path, typename Entries>
constexpr auto collection(QByteArrayView name, Entries entries)
{
    return Property<Kind::Collection, Member<Path...>, Entries>{name, {}, true, entries};
}

// The properties that text and paragraph styles share.
template <typename Style>
struct SharedProperties {
    static constexpr auto BaseStyleNo = property<Kind::Integer, &Style::BaseStyleNo>("BaseStyleNo");
    static constexpr auto StyleName = property<Kind::Text, &Style::StyleName>("StyleName");
    static constexpr auto Standard = property<Kind::Boolean, &Style::Standard>("Standard");
    static constexpr auto StyleTemplateId = property<Kind::Integer, &Style::StyleTemplateId>("StyleTemplateId");
    static constexpr auto BiDiMode =
        property<Kind::Enum, &Style::BiDiMode>("BiDiMode", StreamProperties::BiDiModeNames);
    // The same property, with the option names of the kind of style.
    static constexpr auto options(std::span<const char *const> names)
    {
        return property<Kind::Flags, &Style::Options>("Options", names);
    }
    // Every style entry starts with these four.
    static constexpr auto head() { return std::tuple{BaseStyleNo, StyleName, Standard, StyleTemplateId}; }
};

template <typename Table, typename Entry>
void writeEntry(ObjectStreamWriter &w, const Table &table, const Entry &entry);
template <typename Table, typename Entry>
void readEntryProperty(ObjectStreamReader &r, const Table &table, QByteArrayView name, Entry &entry, int depth = 0);

namespace detail {

template <typename P, typename Entry>
constexpr auto &fieldOf(const P &, Entry &entry)
{
    return P::Field::of(entry);
}

template <typename P, typename Value>
void writeValue(ObjectStreamWriter &w, const P &p, const Value &value)
{
    using namespace StreamProperties;
    if constexpr (P::kind == Kind::Integer)
        w.writeInteger(value);
    else if constexpr (P::kind == Kind::Boolean)
        w.writeBoolean(value);
    else if constexpr (P::kind == Kind::Text)
        w.writeString(value);
    else if constexpr (P::kind == Kind::Colour)
        w.writeColour(value);
    else if constexpr (P::kind == Kind::Charset)
        w.writeCharset(value);
    else if constexpr (P::kind == Kind::Enum)
        w.writeIdent(p.names[size_t(value) % p.names.size()]);
    else if constexpr (P::kind == Kind::Flags)
        w.writeSet(flagNames(value, p.names));
    else if constexpr (P::kind == Kind::NameSet)
        w.writeSet(QList<QByteArrayView>(value.cbegin(), value.cend()));
    else if constexpr (P::kind == Kind::Collection) {
        CollectionStream::begin(w);
        for (const auto &entry : value) {
            CollectionStream::beginEntry(w);
            writeEntry(w, p.entries, entry);
            CollectionStream::endEntry(w);
        }
        CollectionStream::end(w);
    }
}

template <typename P, typename Entry>
void writeProperty(ObjectStreamWriter &w, const P &p, const Entry &entry, const Entry &defaults)
{
    const auto &value = fieldOf(p, entry);
    if (!p.always && value == fieldOf(p, defaults))
        return;
    w.writeProperty(p.name);
    writeValue(w, p, value);
}

template <typename P, typename Field>
void readValue(ObjectStreamReader &r, const P &p, Field &field, int depth)
{
    using namespace StreamProperties;
    if constexpr (P::kind == Kind::Collection) {
        const ValueTag tag = r.readTag();
        if (tag != ValueTag::Collection) {
            r.skipPayload(tag);
            return;
        }
        Field read;
        CollectionStream::readEntries(
            r, depth + 1, [&] { read.emplace_back(); },
            [&](QByteArrayView name) { readEntryProperty(r, p.entries, name, read.back(), depth + 1); });
        field = std::move(read);
        return;
    } else {
        const StreamValue v = r.readValue();
        if constexpr (P::kind == Kind::Integer)
            readInt(v, field);
        else if constexpr (P::kind == Kind::Boolean)
            readBool(v, field);
        else if constexpr (P::kind == Kind::Text)
            readText(v, field);
        else if constexpr (P::kind == Kind::Colour)
            readColour(v, field);
        else if constexpr (P::kind == Kind::Charset)
            readCharset(v, field);
        else if constexpr (P::kind == Kind::Enum)
            readEnumField(v, p.names, field);
        else if constexpr (P::kind == Kind::Flags)
            readFlagsField(v, p.names, field);
        else if constexpr (P::kind == Kind::NameSet) {
            if (v.tag == ValueTag::Set)
                field = v.members;
        }
    }
}

} // namespace detail

// Writes the properties of `entry` that `table` lists, in its order.
template <typename Table, typename Entry>
void writeEntry(ObjectStreamWriter &w, const Table &table, const Entry &entry)
{
    const Entry defaults{};
    std::apply([&](const auto &...p) { (detail::writeProperty(w, p, entry, defaults), ...); }, table);
}

// Reads the value of property `name` into `entry`; a name the table does not
// list is skipped with its value. `depth` is the nesting of the entry's
// collection.
template <typename Table, typename Entry>
void readEntryProperty(ObjectStreamReader &r, const Table &table, QByteArrayView name, Entry &entry, int depth)
{
    const bool known = std::apply(
        [&](const auto &...p) {
            return ((p.name == name && (detail::readValue(r, p, detail::fieldOf(p, entry), depth), true)) || ...);
        },
        table);
    if (!known)
        r.readValue();
}

} // namespace StylePropertyTable
