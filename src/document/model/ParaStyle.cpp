#include "ParaStyle.h"

using namespace Qt::StringLiterals;

TParaInfo TParaInfo::paragraphStyle()
{
    TParaInfo style;
    style.StyleName = u"Paragraph Style"_s;
    return style;
}

TParaInfo TParaInfo::centered()
{
    TParaInfo style;
    style.StyleName = u"Centered"_s;
    style.Alignment = rvaCenter;
    return style;
}
