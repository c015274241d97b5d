#pragma once

// The font of the windows, the toolbar boxes and the markers: "MS Sans Serif"
// at 11 pixels (8 points). Where it is missing, a narrow sans serif stands in,
// so that the labels fit the places the layout gives them.

#include <QFont>
#include <QStringList>

inline QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}
