#pragma once

// Reads a message written as markup (MarkupSyntax.h; the README gives the
// grammar) into a source document, as the editor would have made it: the
// style tables of a new document, with the dark-on-red style added the way
// the colour command adds it when the markup uses {inverse}; markers made as
// the marker panel makes them; pictures shown three times as large, as the
// graphic editor inserts them; a tab as a tab item.
//
// Items of one line form one paragraph: the first starts it, the others
// continue it. A line with no item (empty, or holding only {inverse} or
// {/inverse}) is an empty paragraph; comment lines are not paragraphs.
//
// Errors: reading stops at the first fault of the markup (an unknown kind,
// an entry not in the table, a number that names no entry, an unclosed brace or
// {inverse}, a character Windows-1251 cannot carry, a control character,
// text that is not UTF-8, a picture file that is missing, unreadable, not a
// bitmap, not 8 pixels high or not red and black). The result is then
// nothing and *error says where and why; nothing is kept of what was read.
//
// Picture files are read from the file system while reading; everything
// else happens in memory. One call reads one message; calls may run on
// several threads at once.

#include "document/model/SourceDocument.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

struct MarkupPosition {
    int line = 0;    // 1-based
    int column = 0;  // 1-based, counted in characters (Unicode code points)
    bool operator==(const MarkupPosition &) const = default;
};

struct MarkupError {
    MarkupPosition at;
    QString message;
};

struct ComposedMessage {
    SourceDocument document;
    // Where each item of the document stands in the markup, by item number:
    // the first character of a text run, the opening brace of a marker or a
    // picture, the tab, column 1 for an empty paragraph.
    std::vector<MarkupPosition> itemPositions;
};

// `utf8` is the markup (a leading byte order mark is skipped; lines end with
// LF or CR LF). Picture file names that are not absolute are found from
// `pictureDirectory`, the markup file's own directory.
std::optional<ComposedMessage> readMarkup(QByteArrayView utf8, const QString &pictureDirectory,
                                          MarkupError *error = nullptr);
