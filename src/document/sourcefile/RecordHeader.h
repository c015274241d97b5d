#pragma once

// The header line of a record of a source file, parsed into its fields: the
// record number (a style number), the line count, the paragraph field, the
// item options, the data mode and the tag, then the tail that depends on the
// kind of record. Parsing only reads the line; what the fields mean for the
// document (style numbers out of range, records that cannot be what they
// say) is the reader's.
//
// Errors: a field that is required and missing or not a number, or a quote
// that is not closed, gives no header and a reason.

#include "document/model/SourceItem.h"
#include "document/model/StyleTables.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The format version of the file being read, as its version record gave it.
struct FormatVersion {
    int version = 1;
    int subversion = 0;
};

enum class RecordKind { None, Version, Text, Picture, Control, Tab, Opaque, Property, Background, Checkpoint };

// The kind of record a record number announces; None for numbers no record
// has.
RecordKind recordKindOf(int styleNo);

struct RecordHeader {
    RecordKind kind = RecordKind::None;
    int styleNo = 0;
    FormatVersion version;  // a version record's numbers
    int lineCount = 0;
    int paraField = 0;
    quint8 options = 0;
    int dataMode = 0;
    std::optional<QByteArray> tag;

    // The tails.
    QByteArray hint;              // text
    int vAlign = 0;               // pictures and controls
    int tabTextStyle = 0;         // tabs
    int propertyKind = 0;         // document properties
    int backgroundMode = 0;       // the background
    TColor backgroundColour = 0;
    bool raiseEvent = false;      // checkpoints
    bool persistent = false;
    QByteArray otherTail;         // items of other kinds: the rest, as read
};

// Parses `line` as a file of `version` writes it. A style or paragraph given
// by its quoted name stands for the first entry of that name in `styles`
// (0 when there is none).
std::optional<RecordHeader> parseRecordHeader(QByteArrayView line, FormatVersion version, const TRVStyle &styles,
                                              QString &reason);
