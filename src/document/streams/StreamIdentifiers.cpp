#include "StreamIdentifiers.h"

namespace StreamIdentifiers {

namespace {

struct Named {
    qint64 value;
    const char *name;
};

constexpr qint64 System = 0x80000000LL;

// The colour names the format knows: the sixteen basic colours, four more,
// none and default, and the Windows system colours by their index.
constexpr Named Colours[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
    {System + 0, "clScrollBar"},
    {System + 1, "clBackground"},
    {System + 2, "clActiveCaption"},
    {System + 3, "clInactiveCaption"},
    {System + 4, "clMenu"},
    {System + 5, "clWindow"},
    {System + 6, "clWindowFrame"},
    {System + 7, "clMenuText"},
    {System + 8, "clWindowText"},
    {System + 9, "clCaptionText"},
    {System + 10, "clActiveBorder"},
    {System + 11, "clInactiveBorder"},
    {System + 12, "clAppWorkSpace"},
    {System + 13, "clHighlight"},
    {System + 14, "clHighlightText"},
    {System + 15, "clBtnFace"},
    {System + 16, "clBtnShadow"},
    {System + 17, "clGrayText"},
    {System + 18, "clBtnText"},
    {System + 19, "clInactiveCaptionText"},
    {System + 20, "clBtnHighlight"},
    {System + 21, "cl3DDkShadow"},
    {System + 22, "cl3DLight"},
    {System + 23, "clInfoText"},
    {System + 24, "clInfoBk"},
    {System + 27, "clGradientActiveCaption"},
    {System + 28, "clGradientInactiveCaption"},
};
static_assert(std::size(Colours) == 49);

constexpr Named Charsets[] = {
    {0, "ANSI_CHARSET"},
    {1, "DEFAULT_CHARSET"},
    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},
    {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},
    {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"},
    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

template <size_t N>
const char *nameOf(const Named (&table)[N], qint64 value)
{
    for (const Named &entry : table) {
        if (entry.value == value)
            return entry.name;
    }
    return nullptr;
}

template <size_t N>
std::optional<qint64> valueOf(const Named (&table)[N], QByteArrayView name)
{
    // Identifiers are not case-sensitive.
    for (const Named &entry : table) {
        if (name.compare(QByteArrayView(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

} // namespace

const char *colourName(TColor colour)
{
    return nameOf(Colours, qint64(quint32(colour)));
}

std::optional<TColor> colourOfName(QByteArrayView name)
{
    const auto value = valueOf(Colours, name);
    return value ? std::optional<TColor>(TColor(quint32(*value))) : std::nullopt;
}

const char *charsetName(int charset)
{
    return nameOf(Charsets, charset);
}

std::optional<int> charsetOfName(QByteArrayView name)
{
    const auto value = valueOf(Charsets, name);
    return value ? std::optional<int>(int(*value)) : std::nullopt;
}

} // namespace StreamIdentifiers
