#pragma once

// The frame of a component stream, the body of an embedded control record:
// the signature "TPF0", an optional flags byte, the class name and the
// component name, the property list, then the list of child components.

#include "ObjectStreamReader.h"
#include "ObjectStreamWriter.h"

#include <QByteArray>
#include <QByteArrayView>

namespace ComponentStream {

inline constexpr QByteArrayView Signature("TPF0");

// Reads the signature and the head of the component (flags, class name,
// component name). Fails the reader on a bad signature.
void readHead(ObjectStreamReader &reader, QByteArray *className = nullptr, QByteArray *name = nullptr);
// Reads the flags byte when one stands here, then the class name and name
// (the head of a component without the signature).
void readComponentHead(ObjectStreamReader &reader, QByteArray *className, QByteArray *name);
// Steps over the child list, nested components included, up to its end byte.
void skipChildren(ObjectStreamReader &reader, int depth = 0);

// Whether the bytes are a complete, readable component stream.
bool validate(QByteArrayView bytes, StreamError *error = nullptr);

void writeHead(ObjectStreamWriter &writer, QByteArrayView className, QByteArrayView name);
// The end of the property list and an empty child list.
void writeEnd(ObjectStreamWriter &writer);

} // namespace ComponentStream
