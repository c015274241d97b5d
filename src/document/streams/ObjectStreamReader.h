#pragma once

// Reads the typed values of an object stream from a byte range it does not
// own. Every length is checked against what is left before it is used. The
// first fault (a value running past the end, an unknown tag, nesting deeper
// than MaxDepth) makes the reader fail: it records the reason and the offset,
// and from then on every read returns an empty value, so callers can check
// ok() once at the end of a record.
//
// Ownership: the bytes stay the caller's and must outlive the reader; a
// temporary buffer is refused at compile time (see BorrowedView.h).

#include "document/model/BorrowedView.h"
#include "ObjectStreamValue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Why an object stream could not be read, and the offset in the stream.
struct StreamError {
    QString reason;
    qsizetype offset = -1;
};

class ObjectStreamReader {
public:
    // Lists and collections nest at most this deep.
    static constexpr int MaxDepth = 32;

    explicit ObjectStreamReader(QByteArrayView data) : m_data(data) {}
    template <TemporaryOwner<QByteArrayView> Owner>
    explicit ObjectStreamReader(Owner &&) = delete;

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    qsizetype errorOffset() const { return m_errorOffset; }
    // Copies the fault into *error (when given); returns ok().
    bool report(StreamError *error) const;
    qsizetype offset() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    qsizetype remaining() const { return m_data.size() - m_pos; }

    // Records a fault at the current offset (the first one counts).
    void fail(const QString &reason);

    quint8 peekByte() const { return atEnd() ? 0 : quint8(m_data[m_pos]); }
    quint8 readByte();
    // Compares the next bytes and steps over them when they match.
    bool expectBytes(QByteArrayView bytes);

    qint32 readInt32LE();

    // One length byte and that many bytes.
    QByteArray readShortName() { return readShortNameView().toByteArray(); }
    // The same as a view into the stream (valid as long as its bytes are).
    QByteArrayView readShortNameView();
    // A string value, tag included, converted to text straight from the
    // stream; nothing (the value read and skipped) when it is not a string.
    std::optional<QString> readText();

    // A tag byte; an unknown tag makes the reader fail.
    ValueTag readTag();
    ValueTag peekTag() const { return ValueTag(peekByte()); }

    // The payload of a scalar value whose tag was just read. Lists and
    // collections are not scalars: use skipPayload or walk them.
    StreamValue readScalar(ValueTag tag);
    // A whole value: tag and payload, skipping lists and collections (the
    // returned value then carries only the tag).
    StreamValue readValue();

    // Steps over the payload of any value, lists and collections included.
    void skipPayload(ValueTag tag, int depth = 0);
    void skipValue(int depth = 0) { skipPayload(readTag(), depth); }
    // Steps over a property list up to and including its end byte.
    void skipProperties(int depth = 0);

private:
    QByteArrayView take(qsizetype count);
    qint64 readLength();  // 4-byte length of strings and binary data

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    QString m_error;
    qsizetype m_errorOffset = -1;
};
