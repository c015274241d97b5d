#include "StyleConversion.h"

namespace StyleConversion {

Result convert(const TRVStyle &tables, int styleNo, int code, TColor colour)
{
    const TFontInfo &style = tables.TextStyles.at(size_t(styleNo));
    TFontInfo working = style;
    if (code == TextColour)
        working.Color = colour;
    else if (code == BackColour)
        working.BackColor = colour;
    if (style.sameAs(working))
        return {styleNo, std::nullopt};
    if (const int existing = tables.findTextStyle(working, styleNo); existing >= 0)
        return {existing, std::nullopt};
    working.Standard = false;
    return {int(tables.TextStyles.size()), std::move(working)};
}

int apply(TRVStyle &tables, int styleNo, int code, TColor colour)
{
    Result result = convert(tables, styleNo, code, colour);
    if (result.added)
        tables.TextStyles.push_back(std::move(*result.added));
    return result.styleNo;
}

int applySignColour(TRVStyle &tables, int styleNo, int signColourCode)
{
    const int coloured = apply(tables, styleNo, TextColour, SignColour::colourOf(signColourCode));
    return apply(tables, coloured, BackColour, SignColour::backColourOf(signColourCode));
}

} // namespace StyleConversion
