// Marker insertion and the colour commands of the main window.

#include "TForm1.h"

#include "richview/TRichViewEdit.h"

#include "document/model/StyleConversion.h"

#include <QComboBox>
#include <QToolButton>

void TForm1::insertMarker(MarkerKind kind)
{
    // The core makes the marker as the toolbar box configures it (entries
    // with prefix, width, hint, drop-down count), so that a marker composed
    // from markup is the same bytes in the file.
    if (!rve->insertMarker(makeMarker(kind, toolbarBox(kind)->currentIndex())))
        return;
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

void TForm1::applyColour(TColor color, TColor backColor)
{
    m_pendingColour = color;
    rve->applyStyleConversion(StyleConversion::TextColour);
    m_pendingColour = backColor;
    rve->applyStyleConversion(StyleConversion::BackColour);
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
    const StyleConversion::Result result = StyleConversion::convert(styles.tables(), styleNo, code, m_pendingColour);
    return result.added ? styles.addTextStyle(*result.added) : result.styleNo;
}

void TForm1::rveCurTextStyleChanged()
{
    const TFontInfo &style = rvs().textStyle(rvs().isTextStyle(rve->currentTextStyle()) ? rve->currentTextStyle() : 0);
    btnRed->setChecked(style.Color == Colour::Red && style.BackColor == Colour::None);
    btnBlackOnRed->setChecked(style.Color == Colour::Black && style.BackColor == Colour::Red);
}
