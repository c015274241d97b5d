#include "StyleTables.h"

TRVStyle TRVStyle::newDocument()
{
    TRVStyle styles;
    styles.TextStyles.push_back(TFontInfo::normalText());
    styles.ParaStyles.push_back(TParaInfo::paragraphStyle());
    styles.ParaStyles.push_back(TParaInfo::centered());
    return styles;
}

int TRVStyle::findTextStyle(const TFontInfo &style, int except) const
{
    for (size_t i = 0; i < TextStyles.size(); ++i) {
        if (int(i) != except && TextStyles[i].sameAs(style))
            return int(i);
    }
    return -1;
}
