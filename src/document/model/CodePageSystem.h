#pragma once

// The system's own converters behind CodePage: iconv on POSIX, the national
// language support calls on Windows. Only CodePage calls these; it builds
// its tables of the single-byte pages from decodeEachByte and leaves the
// double-byte pages to decode and encode.

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace CodePageSystem {

// The character of each byte of a single-byte page; nothing for a byte the
// page has none for, and for all of them when the system does not know it.
std::array<std::optional<char16_t>, 256> decodeEachByte(int codePage);

// Whole texts of a double-byte page: an invalid or cut-off sequence gives
// one U+FFFD for its lead byte; a character the page cannot hold gives '?'.
// Latin-1 when the system does not know the page.
QString decode(int codePage, QByteArrayView bytes);
QByteArray encode(int codePage, QStringView text);

} // namespace CodePageSystem
