#pragma once

// One item of the source document. The style number tells the kind: 0 or more
// a text item in that text style, -3 a picture, -5 an embedded control (a
// marker when its control is of a marker kind), -12 a tab; any other negative
// number is an item kind of the rich-text editor that this system never makes
// itself, kept as the record it was read from so that it survives a save.

#include "EmbeddedControl.h"
#include "Picture.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace ItemStyle {
constexpr int Picture = -3;
constexpr int Control = -5;
constexpr int Tab = -12;
constexpr int Break = -1;       // horizontal line: a full-width item
constexpr int Hotspot = -4;
constexpr int Bullet = -6;
constexpr int HotPicture = -10;
constexpr int ListMarker = -11;
constexpr int Table = -60;      // a full-width item
constexpr int Checkpoint = -2;  // a record, never an item
} // namespace ItemStyle

// The low four bits of an item's option byte, as the file carries them.
namespace ItemOption {
constexpr quint8 ContinuesParagraph = 1;  // same line of the same paragraph as the item before
constexpr quint8 PageBreakBefore = 2;
constexpr quint8 LineBreakBefore = 4;     // new line inside the paragraph
constexpr quint8 Utf16Text = 8;           // the text is held as UTF-16
} // namespace ItemOption

struct Checkpoint {
    QByteArray name;
    QByteArray tag;  // as in the header: "0" or a quoted string's content
    bool hasTag = false;
    bool raiseEvent = false;
    bool persistent = false;
    bool operator==(const Checkpoint &) const = default;
};

// The name=value lines of picture and control records, with their defaults.
struct ExtraProperties {
    QByteArray hint;
    int unremovable = 0;
    int vshift = 0;
    int vshiftabs = 0;
    int spacing = 1;
    int resizable = -1;       // -1: the kind's default (pictures 1, controls 0)
    int width = 0;            // picture display width, 0 = natural
    int height = 0;           // picture display height, 0 = natural
    int minheightonpage = 0;
    int nohtmlsize = 0;
    int ainterval = 0;
    int transparent = 0;
    int tmode = 0;
    int tcolor = 0;
    QByteArray filename;
    QByteArray alt;
    int visible = 1;
    bool operator==(const ExtraProperties &) const = default;
};

// A record of an item kind this system does not create, as read.
struct OpaqueRecord {
    QByteArray headerTail;      // the header after the tag, as read
    int dataMode = 0;
    QList<QByteArray> lines;    // data lines (text lines, or block bodies)
    QList<bool> lineIsBlock;    // whether each line was a binary block
    bool operator==(const OpaqueRecord &) const = default;
};

struct SourceItem {
    int styleNo = 0;
    quint8 options = 0;   // ItemOption bits (and whatever higher bits a file set)
    int paraNo = 0;       // paragraph style number

    std::optional<QByteArray> tag;  // nothing: the item has no tag
    std::optional<Checkpoint> checkpoint;

    // Text items: 8-bit text in the code page of the text style, or UTF-16
    // little-endian code units when options has Utf16Text.
    QByteArray text;
    QByteArray hint;  // quoted hint of a text record (never set by this system)

    // Pictures and controls.
    QByteArray name;
    int vAlign = 0;   // 0 baseline, 1 middle, 2 absolute top, 3 absolute bottom, 4 absolute middle
    ExtraProperties extras;
    PicturePtr picture;
    ControlPtr control;

    // Tab items: the text style of the tab.
    int tabTextStyle = 0;

    // Other kinds.
    std::shared_ptr<const OpaqueRecord> opaque;

    bool isText() const { return styleNo >= 0; }
    bool isPicture() const { return styleNo == ItemStyle::Picture; }
    bool isControl() const { return styleNo == ItemStyle::Control; }
    bool isTab() const { return styleNo == ItemStyle::Tab; }
    bool isUtf16() const { return (options & ItemOption::Utf16Text) != 0; }
    std::optional<MarkerKind> markerKind() const
    {
        return (isControl() && control) ? control->markerKind() : std::nullopt;
    }
    // Whether the item starts a new paragraph (neither continuing the line
    // before it nor only breaking the line inside its paragraph).
    bool startsParagraph() const
    {
        return (options & (ItemOption::ContinuesParagraph | ItemOption::LineBreakBefore)) == 0;
    }
    bool isFullWidth() const { return styleNo == ItemStyle::Break || styleNo == ItemStyle::Table; }

    // Option byte rules: continuing clears the two breaks; a line break or a
    // page break clears continuing (and a page break the line break).
    void setContinuesParagraph();
    void setLineBreakBefore();
    void setPageBreakBefore();
    void setNewParagraph();

    // Convenience constructors for the three kinds the system creates.
    static SourceItem textItem(QByteArray text, int styleNo, int paraNo = 0, bool continues = false);
    static SourceItem pictureItem(PicturePtr picture, int paraNo = 0, bool continues = false);
    static SourceItem controlItem(EmbeddedControl control, int paraNo = 0, bool continues = false);
};

// The kind of an item in a word or two, as tools name it: "text", "picture",
// "marker", "control", "tab", "line", "hotspot", "bullet", "hot picture",
// "list marker", "table", or "other".
QString itemKindName(const SourceItem &item);
