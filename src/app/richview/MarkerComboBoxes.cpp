#include "MarkerComboBoxes.h"

QComboBox *createMarkerControl(MarkerKind kind, QWidget *parent)
{
    switch (kind) {
    case MarkerKind::Effect: return new TEffectComboBox(parent);
    case MarkerKind::EffectClear: return new TEffectClearComboBox(parent);
    case MarkerKind::Pause: return new TPauseComboBox(parent);
    case MarkerKind::Speed: return new TSpeedComboBox(parent);
    case MarkerKind::Font: return new TFontComboBox(parent);
    case MarkerKind::Info: return new TInfoComboBox(parent);
    }
    return nullptr;
}

std::optional<MarkerKind> markerKindOf(const QObject *control)
{
    if (qobject_cast<const TEffectComboBox *>(control))
        return MarkerKind::Effect;
    if (qobject_cast<const TEffectClearComboBox *>(control))
        return MarkerKind::EffectClear;
    if (qobject_cast<const TPauseComboBox *>(control))
        return MarkerKind::Pause;
    if (qobject_cast<const TSpeedComboBox *>(control))
        return MarkerKind::Speed;
    if (qobject_cast<const TFontComboBox *>(control))
        return MarkerKind::Font;
    if (qobject_cast<const TInfoComboBox *>(control))
        return MarkerKind::Info;
    return std::nullopt;
}
