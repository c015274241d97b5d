#pragma once

// Documents built in memory the way the editor and the file reader build
// them, for the window tests.

#include "document/model/SourceDocument.h"

#include <QImage>

namespace Samples {

// An 8-pixel-high bitmap of red and black columns, `width` wide.
QImage signBitmap(int width);

// A text item in Windows-1251, from Unicode.
SourceItem text(const QString &text, int styleNo = 0, bool continues = false, int paraNo = 0);
SourceItem marker(MarkerKind kind, int index, bool continues = false);
SourceItem picture(int width, bool continues = true);

// Every kind of item the editor shows: markers of all six kinds, pictures,
// text in both sign colours, a tab, a line break, an empty paragraph and a
// centred paragraph.
SourceDocument everything();

// What only files of other editors hold: a tag, a hint and a checkpoint on
// text, an item of a kind this system never makes, a named picture, UTF-16
// text after a page break.
SourceDocument fromOtherEditors();

} // namespace Samples
