// Marker insertion and the colour commands of the main window.

#include "TForm1.h"

#include "MarkerComboBoxes.h"
#include "richview/TRichViewEdit.h"

#include <QComboBox>
#include <QToolButton>

void TForm1::insertMarker(MarkerKind kind)
{
    const MarkerKindInfo &info = markerKindInfo(kind);
    QComboBox *box = toolbarBox(kind);
    QComboBox *control = createMarkerControl(kind, this);
    control->hide();
    control->resize(box->width(), box->height());
    for (int i = 0; i < box->count(); ++i)
        control->addItem(info.prefix + box->itemText(i));
    control->setCurrentIndex(box->currentIndex());
    control->setEditable(false);
    control->setMaxVisibleItems(control->count());
    control->setToolTip(box->toolTip());
    if (info.copiesColourAndFont) {
        control->setFont(box->font());
        control->setPalette(box->palette());
    }
    if (!rve->insertControl(control)) {
        delete control;
        return;
    }
    rve->ensureCursorVisible();
    if (isVisible())
        rve->setFocus();
}

void TForm1::EffectCBChange()
{
    insertMarker(MarkerKind::Effect);
}

void TForm1::EffectClearCBChange()
{
    insertMarker(MarkerKind::EffectClear);
}

void TForm1::PauseCBChange()
{
    insertMarker(MarkerKind::Pause);
}

void TForm1::SpeedCBChange()
{
    insertMarker(MarkerKind::Speed);
}

void TForm1::fontCBChange()
{
    insertMarker(MarkerKind::Font);
}

void TForm1::InfoCBChange()
{
    insertMarker(MarkerKind::Info);
}

// ---------------------------------------------------------------------------
// Colours: a button converts the selected text's styles twice, first the text
// colour (code 7), then the background (code 8); each conversion finds or
// adds the style the text is to have.

namespace {
constexpr int ConvertColor = 7;
constexpr int ConvertBackColor = 8;
} // namespace

void TForm1::applyColour(TColor color, TColor backColor)
{
    m_pendingColour = color;
    rve->applyStyleConversion(ConvertColor);
    m_pendingColour = backColor;
    rve->applyStyleConversion(ConvertBackColor);
    // The buttons show the style at the caret, whatever the click toggled.
    rveCurTextStyleChanged();
    if (isVisible())
        rve->setFocus();
}

void TForm1::btnRedClick()
{
    applyColour(SignColour::colourOf(SignColour::RedOnDark), SignColour::backColourOf(SignColour::RedOnDark));
}

void TForm1::clea()
{
    applyColour(SignColour::colourOf(SignColour::DarkOnRed), SignColour::backColourOf(SignColour::DarkOnRed));
}

int TForm1::rveStyleConversion(int styleNo, int code)
{
    RVStyleView &styles = rvs();
    if (!styles.isTextStyle(styleNo))
        return styleNo;
    TFontInfo working = styles.textStyle(styleNo);
    if (code == ConvertColor)
        working.Color = m_pendingColour;
    else if (code == ConvertBackColor)
        working.BackColor = m_pendingColour;
    if (styles.textStyle(styleNo).sameAs(working))
        return styleNo;
    const int existing = styles.findTextStyle(working, styleNo);
    if (existing >= 0)
        return existing;
    working.Standard = false;
    return styles.addTextStyle(working);
}

void TForm1::rveCurTextStyleChanged()
{
    const TFontInfo &style = rvs().textStyle(rvs().isTextStyle(rve->currentTextStyle()) ? rve->currentTextStyle() : 0);
    btnRed->setChecked(style.Color == Colour::Red && style.BackColor == Colour::None);
    btnBlackOnRed->setChecked(style.Color == Colour::Black && style.BackColor == Colour::Red);
}
