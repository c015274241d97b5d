#pragma once

// The words of the source file format (*.abc) that its reader and its writer
// share: the numbers of the records that hold no item, the data modes of a
// record's body, the kinds of document property, and the fixed values this
// system writes. Item kinds are the style numbers of ItemStyle (SourceItem.h),
// which the file uses as record numbers too.

#include "document/model/SourceItem.h"

#include <QByteArrayView>

namespace SourceFormat {

// Records that hold no item.
constexpr int VersionRecord = -8;
constexpr int BackgroundRecord = -7;
constexpr int PropertyRecord = -9;     // a style table or the layout
constexpr int CheckpointRecord = ItemStyle::Checkpoint;

// The version this system writes. A file without a version record is read
// as version 1.0; item options are in headers from version 1.2 on, quoted
// tags from 1.3 on.
constexpr int WrittenVersion = 1;
constexpr int WrittenSubversion = 3;

// How a record's body is stored (the fifth header field).
enum DataMode : int {
    TextData = 0,    // text lines; for pictures and controls hexadecimal
    NoBody = 1,
    BinaryData = 2,  // a length-prefixed binary block
    HexUtf16 = 3,    // text as hexadecimal UTF-16 code units
};

// What a document property record holds (its last header field).
enum PropertyKind : int {
    TextStyles = 1,
    ParaStyles = 2,
    Layout = 3,
    ListStyles = 4,
    PropertyList = 5,  // never written; ignored when read
};

// The first data line of a style table record: the name of the table's
// component.
constexpr QByteArrayView StyleTableOwner = "rvs";

// The bits of an item's option byte that a header carries.
constexpr int HeaderOptionBits = 0x0F;

// Item kinds of the rich-text editor that this system never makes; their
// records are kept as read.
constexpr bool isOtherEditorKind(int styleNo)
{
    return styleNo == ItemStyle::Break || styleNo == ItemStyle::Hotspot || styleNo == ItemStyle::Bullet
        || styleNo == ItemStyle::HotPicture || styleNo == ItemStyle::ListMarker || styleNo == ItemStyle::Table;
}

} // namespace SourceFormat
