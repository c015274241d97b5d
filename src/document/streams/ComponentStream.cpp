#include "ComponentStream.h"

using namespace Qt::StringLiterals;

namespace ComponentStream {

void readComponentHead(ObjectStreamReader &reader, QByteArray *className, QByteArray *name)
{
    // A flags byte has its high four bits set; no class name is that long.
    if ((reader.peekByte() & 0xF0) == 0xF0) {
        const quint8 flags = reader.readByte();
        if (flags & 0x02) {
            if (!reader.readValue().isInteger())
                reader.fail(u"the position after the component flags is not an integer"_s);
        }
    }
    QByteArray cls = reader.readShortName();
    QByteArray own = reader.readShortName();
    if (className)
        *className = std::move(cls);
    if (name)
        *name = std::move(own);
}

void readHead(ObjectStreamReader &reader, QByteArray *className, QByteArray *name)
{
    if (!reader.expectBytes(Signature)) {
        reader.fail(u"the component stream does not start with TPF0"_s);
        return;
    }
    readComponentHead(reader, className, name);
}

void skipChildren(ObjectStreamReader &reader, int depth)
{
    while (reader.ok()) {
        if (reader.peekByte() == 0x00) {
            reader.readByte();
            return;
        }
        if (depth >= ObjectStreamReader::MaxDepth)
            return reader.fail(u"components nested too deeply"_s);
        readComponentHead(reader, nullptr, nullptr);
        reader.skipProperties(depth + 1);
        skipChildren(reader, depth + 1);
    }
}

bool validate(QByteArrayView bytes, StreamError *error)
{
    ObjectStreamReader reader(bytes);
    readHead(reader);
    reader.skipProperties();
    skipChildren(reader);
    return reader.report(error);
}

void writeHead(ObjectStreamWriter &writer, QByteArrayView className, QByteArrayView name)
{
    writer.writeRaw(Signature);
    writer.writeShortName(className);
    writer.writeShortName(name);
}

void writeEnd(ObjectStreamWriter &writer)
{
    writer.writeEndOfList();
    writer.writeEndOfList();
}

} // namespace ComponentStream
