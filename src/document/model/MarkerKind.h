#pragma once

// The six marker kinds: embedded drop-down lists that choose how the following
// content is shown on the sign or insert live information. The kind of a
// marker is the class of its control; its argument is the selected entry.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

enum class MarkerKind : quint8 { Effect, EffectClear, Pause, Speed, Font, Info };

struct MarkerKindInfo {
    MarkerKind kind;
    const char *className;    // "TEffectComboBox", ...
    const char *toolbarBox;   // the main window's box: "EffectCB", ...
    QString label;            // toolbar label and "Вставка" menu item
    QString hint;
    int width;                // pixels
    QStringList entries;      // as the toolbar box shows them, without prefix
    int defaultEntry;         // the toolbar box's selection at start
    QString prefix;           // capital Cyrillic letter and a full stop
    bool copiesColourAndFont; // from the toolbar box, when inserted
};

// The six kinds in table order: Effect, EffectClear, Pause, Speed, Font, Info.
const std::array<MarkerKind, 6> &allMarkerKinds();
const MarkerKindInfo &markerKindInfo(MarkerKind kind);

// The kind of a control class, by exact class name; nothing for other classes.
std::optional<MarkerKind> markerKindOfClass(QByteArrayView className);

// The entries of a marker of this kind: each table entry after the prefix.
QStringList markerEntries(MarkerKind kind);
