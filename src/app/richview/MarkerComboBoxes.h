#pragma once

// The six marker control classes. Each is a drop-down list and nothing more:
// the class alone tells the marker's kind, so a marker is recognised by a
// class test, never by the texts of its entries.

#include "document/model/MarkerKind.h"

#include <QComboBox>

#include <optional>

class TEffectComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

class TEffectClearComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

class TPauseComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

class TSpeedComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

class TFontComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

class TInfoComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

// A new control of the kind's class, owned by `parent`.
QComboBox *createMarkerControl(MarkerKind kind, QWidget *parent);

// The kind of a control by its class; nothing for any other widget.
std::optional<MarkerKind> markerKindOf(const QObject *control);
