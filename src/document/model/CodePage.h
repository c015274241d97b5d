#pragma once

// Conversion between Unicode and the 8-bit (or double-byte) code pages that a
// text style's character set stands for. Item texts in source files are kept
// in these code pages; the compiler sends them to the sign as they are.
//
// Single-byte code pages round-trip every byte: a byte the code page leaves
// unassigned decodes to U+00xx (a private-use character where a real one has
// that code) and encodes back to itself, as Windows does for its 125x pages. Characters a code page cannot hold are encoded as '?'.

#include <QByteArray>
#include <QString>

#include <optional>

namespace CodePage {

// Character set identifiers of the font (TFontInfo::Charset).
enum Charset : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    MAC_CHARSET = 77,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    JOHAB_CHARSET = 130,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};

// The system's ANSI and OEM code pages: this system runs with a Russian
// user interface, so the default character set means Windows-1251.
constexpr int SystemAnsi = 1251;
constexpr int SystemOem = 866;
constexpr int Symbol = 42;

// The Windows code page of a character set; unknown sets use the ANSI page.
int forCharset(int charset);

QString toUnicode(int codePage, QByteArrayView bytes);
QByteArray fromUnicode(int codePage, QStringView text);

// Shorthands for the code page of most texts of this system.
inline QString fromWindows1251(QByteArrayView bytes) { return toUnicode(1251, bytes); }
inline QByteArray toWindows1251(QStringView text) { return fromUnicode(1251, text); }

// The bytes of `text` when the code page holds every one of its characters
// as a character of its own; otherwise nothing, and *unencodable (when
// given) is the index of the first character it cannot hold. A surrogate
// pair is never held by a single-byte page.
std::optional<QByteArray> fromUnicodeExactly(int codePage, QStringView text, qsizetype *unencodable = nullptr);

// Whether the code page is known here (iconv has it, or it is the symbol page).
bool isSupported(int codePage);

} // namespace CodePage
