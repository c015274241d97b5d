#pragma once

// The frame of a collection stream shared by the style tables: entries of
// properties between the collection tag and its end byte.

#include "ObjectStreamReader.h"
#include "ObjectStreamWriter.h"

#include <QByteArray>

#include <QByteArrayView>

#include <utility>
#include <vector>

namespace CollectionStream {

// Walks the entries of a collection whose tag has been read. For each entry
// newEntry() is called, then property(name) for each of its properties;
// property must read the value that follows the name. An integer before an
// entry (an index some writers put there) is read and ignored.
template <typename NewEntry, typename Property>
int readEntries(ObjectStreamReader &reader, int depth, NewEntry &&newEntry, Property &&property)
{
    int count = 0;
    if (depth >= ObjectStreamReader::MaxDepth) {
        reader.fail(QStringLiteral("collections nested too deeply"));
        return 0;
    }
    while (reader.ok()) {
        ValueTag tag = reader.readTag();
        if (tag == ValueTag::EndOfList)
            break;
        if (tag == ValueTag::Int8 || tag == ValueTag::Int16 || tag == ValueTag::Int32) {
            reader.readScalar(tag);
            tag = reader.readTag();
        }
        if (tag != ValueTag::List) {
            reader.fail(QStringLiteral("a collection entry does not start with 0x01"));
            break;
        }
        newEntry();
        ++count;
        while (reader.ok()) {
            const QByteArrayView name = reader.readShortNameView();
            if (name.isEmpty())
                break;
            property(name);
        }
    }
    return count;
}

// Starts the whole stream: checks for the collection tag.
inline bool readStart(ObjectStreamReader &reader)
{
    if (reader.readTag() != ValueTag::Collection) {
        reader.fail(QStringLiteral("the stream is not a collection"));
        return false;
    }
    return reader.ok();
}

inline void beginEntry(ObjectStreamWriter &w) { w.writeTag(ValueTag::List); }
inline void endEntry(ObjectStreamWriter &w) { w.writeEndOfList(); }
inline void begin(ObjectStreamWriter &w) { w.writeTag(ValueTag::Collection); }
inline void end(ObjectStreamWriter &w) { w.writeEndOfList(); }

// A whole table: the collection tag, one entry per element written by
// writeEntry(writer, element), the end byte.
template <typename Entry, typename WriteEntry>
QByteArray encodeTable(const std::vector<Entry> &table, WriteEntry &&writeEntry)
{
    ObjectStreamWriter w;
    begin(w);
    for (const Entry &entry : table) {
        beginEntry(w);
        writeEntry(w, entry);
        endEntry(w);
    }
    end(w);
    return w.take();
}

// Decodes a whole table into new entries at their defaults, each property
// read by readProperty(reader, name, entry). The table is replaced only when
// the stream is valid; an empty stream is an empty table.
template <typename Entry, typename ReadProperty>
bool decodeTable(QByteArrayView bytes, std::vector<Entry> &table, StreamError *error, ReadProperty &&readProperty)
{
    if (bytes.isEmpty()) {
        table.clear();
        return true;
    }
    ObjectStreamReader r(bytes);
    std::vector<Entry> read;
    if (readStart(r)) {
        readEntries(
            r, 0, [&] { read.emplace_back(); },
            [&](QByteArrayView name) { readProperty(r, name, read.back()); });
    }
    if (!r.report(error))
        return false;
    table = std::move(read);
    return true;
}

} // namespace CollectionStream
