// The list style table: this system never builds list styles, so the stream
// a file brings is checked, its entries counted, and kept as it is.

#include "CollectionStream.h"
#include "StyleStreams.h"

QByteArray EncodeListStyleTable(const QByteArray &kept)
{
    return kept.isEmpty() ? QByteArray("\x0E\x00", 2) : kept;
}

bool DecodeListStyleTable(QByteArrayView bytes, QByteArray &kept, int &entryCount, StreamError *error)
{
    if (bytes.isEmpty()) {
        entryCount = 0;
        kept = EncodeListStyleTable(QByteArray());
        return true;
    }
    ObjectStreamReader r(bytes);
    int count = 0;
    if (CollectionStream::readStart(r))
        count = CollectionStream::readEntries(r, 0, [] {}, [&](QByteArrayView) { r.skipValue(1); });
    if (!r.report(error))
        return false;
    entryCount = count;
    kept = bytes.toByteArray();
    return true;
}
