#pragma once

// The embedded control of a control item. For the six marker kinds it holds
// the drop-down list's properties as the component stream carries them; the
// kind is told by the class name alone. Controls of other registered classes
// (TImage) keep their component stream as read.

#include "MarkerKind.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct ControlFont {
    int Charset = 1;  // DEFAULT_CHARSET
    qint32 Color = qint32(0x80000008u);  // clWindowText
    int Height = -11;
    QString Name = QStringLiteral("MS Sans Serif");
    quint8 Style = 0;  // TFontInfo::FontStyle bits
    bool operator==(const ControlFont &) const = default;
};

struct EmbeddedControl {
    QByteArray className;

    // Properties of a marker's drop-down list, in stream order. Only Items,
    // ItemIndex and Width carry document content; the rest restore the
    // marker's appearance or are layout values the editor recomputes.
    int Tag = 0;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 21;
    QString Hint;
    QByteArray Style = "csDropDownList";
    int DropDownCount = 8;
    std::optional<ControlFont> Font;  // written (with ParentFont false) only when set
    int ItemHeight = 13;
    int ItemIndex = -1;
    int TabOrder = -1;
    QString Text;
    QStringList Items;

    // The component stream of a control that is not a marker, kept as read.
    QByteArray stream;

    // Which of the six marker kinds the control is, told by its class alone.
    std::optional<MarkerKind> markerKind() const { return markerKindOfClass(className); }

    bool operator==(const EmbeddedControl &) const = default;
};

using ControlPtr = std::shared_ptr<EmbeddedControl>;

// A new marker of kind `kind` with entry `index` selected (-1, or an index
// outside the table, selects nothing), configured as the main window's
// insertion commands configure it: the kind's entries with its prefix, the
// width and hint of its toolbar box, a drop-down showing every entry. The
// editor's marker panel and the markup reader both make markers here, so the
// two are the same bytes in a file. No font is stored: the kinds that copy
// their toolbar box's colour and font copy the editor's own, which a list
// follows by default.
EmbeddedControl makeMarker(MarkerKind kind, int index);
