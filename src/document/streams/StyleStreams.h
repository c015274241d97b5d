#pragma once

// The collection streams of the style tables, as source files carry them:
// each entry writes the properties that differ from their defaults, in a
// fixed order. Decoding builds a new table of entries that start at their
// defaults; property names an entry does not know are skipped with their
// values. The list style table is never built by this system: its stream is
// kept whole as read and written back unchanged.
//
// Decoders take the whole stream, starting with its collection tag 0x0E; an
// empty stream is an empty table. They return false, with the reason and
// offset in *error, when the stream is not a collection or cannot be read to
// its end; the table is then left unchanged.

#include "ObjectStreamReader.h"
#include "document/model/ParaStyle.h"
#include "document/model/TextStyle.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

QByteArray EncodeStyleTable(const std::vector<TFontInfo> &table);
QByteArray EncodeStyleTable(const std::vector<TParaInfo> &table);

bool DecodeStyleTable(QByteArrayView bytes, std::vector<TFontInfo> &table, StreamError *error = nullptr);
bool DecodeStyleTable(QByteArrayView bytes, std::vector<TParaInfo> &table, StreamError *error = nullptr);

// The list style table as it is written: the kept stream, or the empty
// collection 0E 00 when there is none.
QByteArray EncodeListStyleTable(const QByteArray &kept);
// Checks that `bytes` is a readable collection and counts its entries; on
// success `kept` becomes the bytes as they are.
bool DecodeListStyleTable(QByteArrayView bytes, QByteArray &kept, int &entryCount, StreamError *error = nullptr);
