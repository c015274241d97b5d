#pragma once

// The source document: the message the operator composes for the sign. An
// ordered list of items with their paragraph structure, the style tables, and
// what the editor restores from a file (background colour and picture, page
// layout). The editor, the compiler and the file format all work on this
// model; the editor window keeps its own view of it and turns it back into a
// SourceDocument for saving and checking.

#include "Colour.h"
#include "SourceItem.h"
#include "StyleTables.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct DocumentLayout {
    int LeftMargin = 5;
    int RightMargin = 5;
    int TopMargin = 5;
    int BottomMargin = 5;
    int MinTextWidth = 0;
    int MaxTextWidth = 0;
    quint8 BiDiMode = 0;  // 0 unspecified, 1 left to right, 2 right to left
    bool operator==(const DocumentLayout &) const = default;
};

struct DocumentBackground {
    TColor colour = Colour::EditorBackground;
    int mode = 0;          // background picture mode, 0 = none
    PicturePtr picture;    // only with a mode other than 0
    bool operator==(const DocumentBackground &o) const
    {
        return colour == o.colour && mode == o.mode && picture == o.picture;
    }
};

class SourceDocument {
public:
    std::vector<SourceItem> items;
    TRVStyle styles = TRVStyle::newDocument();
    DocumentBackground background;
    DocumentLayout layout;

    int itemCount() const { return int(items.size()); }
    const SourceItem &item(int i) const { return items[size_t(i)]; }

    // The text style of a text item, or nullptr when its number is outside
    // the table (a document built in memory may hold such numbers).
    const TFontInfo *textStyleOf(const SourceItem &item) const;

    // The text of text item i as the compiler reads it: single-byte characters
    // in its style's code page (UTF-16 texts converted to that page).
    QByteArray singleByteText(int i) const;
    // The text as Unicode, for the editor.
    QString unicodeText(int i) const;

    // Offsets enclosing the whole item: 1 and length + 1 for text, else 0 and 1.
    int offsetBefore(int i) const;
    int offsetAfter(int i) const;

    // Appends an item the way the editor adds typed content.
    void append(SourceItem item) { items.push_back(std::move(item)); }
};
