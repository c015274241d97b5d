#pragma once

// How the editor's QTextDocument carries the source document's items.
//
// Paragraphs are blocks, whose format holds the paragraph style number. Text
// items are runs of characters whose format holds the text style number (the
// visible font and colours follow from the style table). A tab item is a tab
// character, a line break inside a paragraph is U+2028. Pictures, markers and
// the other embedded items are one object replacement character each, whose
// format holds an id into the editor's object table.
//
// Every number kept in a QTextFormat is a plain int: Qt hashes property values
// of other types by their type name alone, so formats that differ only in such
// a value would all collide in the format collection.

#include <QTextFormat>

namespace RVFormat {

enum Property : int {
    TextStyleNo = QTextFormat::UserProperty + 1,  // char format: index in the text style table
    ParaStyleNo = QTextFormat::UserProperty + 2,  // block format: index in the paragraph style table
    ObjectId = QTextFormat::UserProperty + 3,     // object char format: id in the object table
    TextExtraId = QTextFormat::UserProperty + 4,  // char format: id of a text item's tag, hint or checkpoint
    BlockOptions = QTextFormat::UserProperty + 5, // block format: option bits of the block's first item
};

enum ObjectType : int {
    PictureObject = QTextFormat::UserObject + 1,
    MarkerObject = QTextFormat::UserObject + 2,
    OtherObject = QTextFormat::UserObject + 3,  // controls of other classes, items of other kinds
};

} // namespace RVFormat
