#pragma once

// The words and marks of the message markup, shared by its reader and its
// writer so that what one writes the other reads. The markup is UTF-8 text:
// plain text is text, a line is a paragraph, a line whose first character is
// '#' is a comment, and everything else stands in braces:
//   {effect: NAME}  {clear: NAME}  {pause: NAME}  {speed: NAME}
//   {font: NAME}    {info: NAME}   (NAME an entry of the kind's table; or
//                                   a number: for a pause its seconds, for
//                                   a speed the speed, for the others the
//                                   entry's 0-based number)
//   {inverse} ... {/inverse}       dark characters on a lit background
//   {picture: FILE}                an 8-row bitmap file
//   {{  }}  {#}                    a literal brace, a literal number sign

#include "document/model/MarkerKind.h"

#include <QImage>
#include <QString>
#include <QStringView>

#include <optional>

namespace Markup {

inline constexpr char16_t Open = u'{';
inline constexpr char16_t Close = u'}';
inline constexpr char16_t Comment = u'#';
inline constexpr char16_t ValueMark = u':';

inline constexpr QStringView Inverse = u"inverse";
inline constexpr QStringView InverseEnd = u"/inverse";
inline constexpr QStringView PictureWord = u"picture";
// What "{#}" holds: a number sign that does not make its line a comment.
inline constexpr QStringView NumberSign = u"#";

// The word of a marker kind in braces: "effect", "clear", "pause", "speed",
// "font", "info".
QStringView kindWord(MarkerKind kind);
// The kind a word names, compared ignoring case; nothing for other words.
std::optional<MarkerKind> kindOfWord(QStringView word);
// Every word braces may start with, for messages: "effect, clear, ...".
QString allWords();

// Characters that no text of the markup holds: the C0 and C1 control
// characters and DEL (a tab is an item of its own, a line end a paragraph).
constexpr bool isControlCharacter(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The graphic editor's insert command shows a picture three times as large.
inline constexpr int PictureDisplayScale = 3;

// Why an image cannot be a picture of the sign ("is 7 pixels high ..."), or
// nothing when it can: 8 rows, 1 to 65 535 columns, every pixel pure red or
// pure black.
std::optional<QString> signPictureProblem(const QImage &image);

} // namespace Markup
