#include "TextStyle.h"

#include "CodePage.h"

using namespace Qt::StringLiterals;

bool TFontInfo::sameAs(const TFontInfo &o) const
{
    return BaseStyleNo == o.BaseStyleNo && StyleTemplateId == o.StyleTemplateId && Charset == o.Charset
        && FontName == o.FontName && Size == o.Size && Style == o.Style && VShift == o.VShift
        && Color == o.Color && BackColor == o.BackColor && HoverBackColor == o.HoverBackColor
        && HoverColor == o.HoverColor && StyleEx == o.StyleEx && Jump == o.Jump
        && JumpCursor == o.JumpCursor && CharScale == o.CharScale && CharSpacing == o.CharSpacing
        && BiDiMode == o.BiDiMode && Protection == o.Protection && Options == o.Options
        && NextStyleNo == o.NextStyleNo && Unicode == o.Unicode
        && ModifiedProperties == o.ModifiedProperties;
}

bool TFontInfo::operator==(const TFontInfo &o) const
{
    return sameAs(o) && StyleName == o.StyleName && Standard == o.Standard;
}

int TFontInfo::codePage() const
{
    return CodePage::forCharset(Charset);
}

TFontInfo TFontInfo::normalText()
{
    TFontInfo style;
    style.StyleName = u"Normal text"_s;
    style.FontName = u"Times New Roman"_s;
    style.Size = 14;
    style.Color = Colour::Red;
    return style;
}

std::optional<int> signColourCode(const TFontInfo &style)
{
    if (style.Color == Colour::Red && style.BackColor == Colour::None)
        return SignColour::RedOnDark;
    if (style.Color == Colour::Black && style.BackColor == Colour::Red)
        return SignColour::DarkOnRed;
    return std::nullopt;
}
