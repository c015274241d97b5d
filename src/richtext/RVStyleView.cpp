#include "RVStyleView.h"

#include "RVFormats.h"

#include <QFont>

#include <cmath>

using namespace Qt::StringLiterals;

RVStyleView::RVStyleView()
{
    setTables(TRVStyle::newDocument());
}

void RVStyleView::setTables(TRVStyle tables)
{
    m_tables = std::move(tables);
    if (m_tables.TextStyles.empty())
        m_tables.TextStyles.push_back(TFontInfo::normalText());
    if (m_tables.ParaStyles.empty())
        m_tables.ParaStyles.push_back(TParaInfo::paragraphStyle());
    m_charFormats.clear();
    m_charFormats.reserve(m_tables.TextStyles.size());
    for (int k = 0; k < textStyleCount(); ++k)
        m_charFormats.push_back(makeCharFormat(k));
}

int RVStyleView::addTextStyle(const TFontInfo &style)
{
    m_tables.TextStyles.push_back(style);
    const int k = textStyleCount() - 1;
    m_charFormats.push_back(makeCharFormat(k));
    return k;
}

int RVStyleView::findTextStyle(const TFontInfo &style, int except) const
{
    return m_tables.findTextStyle(style, except);
}

int RVStyleView::findOrAddTextStyle(const TFontInfo &style)
{
    const int k = findTextStyle(style);
    return k >= 0 ? k : addTextStyle(style);
}

int RVStyleView::findOrAddParaStyle(const TParaInfo &para)
{
    for (int p = 0; p < paraStyleCount(); ++p) {
        if (m_tables.ParaStyles[size_t(p)] == para)
            return p;
    }
    m_tables.ParaStyles.push_back(para);
    return paraStyleCount() - 1;
}

const QTextCharFormat &RVStyleView::charFormat(int k) const
{
    return m_charFormats[size_t(isTextStyle(k) ? k : 0)];
}

QColor RVStyleView::screenColour(TColor colour)
{
    if (colour == Colour::None || colour == Colour::Default)
        return QColor();
    if (Colour::isSystemColour(colour)) {
        switch (quint32(colour) & 0xFFu) {
        case 5:  // window
        case 14: // highlight text
        case 20: // button highlight
            return QColor(Qt::white);
        case 13: // highlight
            return QColor(0x00, 0x78, 0xD7);
        case 15: // button face
        case 4:  // menu
            return QColor(0xF0, 0xF0, 0xF0);
        case 16: // button shadow
        case 17: // grey text
            return QColor(0xA0, 0xA0, 0xA0);
        default: // window text and the other text colours
            return QColor(Qt::black);
        }
    }
    return QColor::fromRgb(Colour::toRgb(colour));
}

QTextCharFormat RVStyleView::makeCharFormat(int k) const
{
    const TFontInfo &style = textStyle(k);
    QTextCharFormat format;
    format.setProperty(RVFormat::TextStyleNo, k);
    if (!style.FontName.isEmpty())
        format.setFontFamilies({style.FontName});
    format.setFontPointSize(style.Size > 0 ? style.Size : 10);
    format.setFontWeight((style.Style & TFontInfo::fsBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.Style & TFontInfo::fsItalic);
    format.setFontUnderline(style.Style & TFontInfo::fsUnderline);
    format.setFontStrikeOut(style.Style & TFontInfo::fsStrikeOut);
    format.setFontOverline(style.StyleEx & TFontInfo::rvfsOverline);
    if (style.StyleEx & TFontInfo::rvfsAllCaps)
        format.setFontCapitalization(QFont::AllUppercase);
    if (style.CharScale != 100 && style.CharScale > 0)
        format.setFontStretch(style.CharScale);
    if (style.CharSpacing != 0) {
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(style.CharSpacing);
    }
    const QColor text = screenColour(style.Color);
    format.setForeground(text.isValid() ? text : QColor(Qt::black));
    const QColor back = screenColour(style.BackColor);
    if (back.isValid())
        format.setBackground(back);
    return format;
}

QTextBlockFormat RVStyleView::blockFormat(int paraNo) const
{
    const int p = (paraNo >= 0 && paraNo < paraStyleCount()) ? paraNo : 0;
    const TParaInfo &para = m_tables.ParaStyles[size_t(p)];
    QTextBlockFormat format;
    format.setProperty(RVFormat::ParaStyleNo, p);
    switch (para.Alignment) {
    case TParaInfo::rvaLeft: format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case TParaInfo::rvaRight: format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case TParaInfo::rvaCenter: format.setAlignment(Qt::AlignHCenter); break;
    case TParaInfo::rvaJustify: format.setAlignment(Qt::AlignJustify); break;
    }
    // Only what differs from Qt's defaults: an empty paragraph with an
    // explicit indent would make Return take the indent away instead of
    // starting a new paragraph.
    if (para.LeftIndent != 0)
        format.setLeftMargin(para.LeftIndent);
    if (para.RightIndent != 0)
        format.setRightMargin(para.RightIndent);
    if (para.FirstIndent != 0)
        format.setTextIndent(para.FirstIndent);
    if (para.SpaceBefore != 0)
        format.setTopMargin(para.SpaceBefore);
    if (para.SpaceAfter != 0)
        format.setBottomMargin(para.SpaceAfter);
    if (para.LineSpacingType == TParaInfo::rvlsPercent && para.LineSpacing != 100 && para.LineSpacing > 0)
        format.setLineHeight(para.LineSpacing, QTextBlockFormat::ProportionalHeight);
    else if (para.LineSpacingType == TParaInfo::rvlsSpaceBetween && para.LineSpacing > 0)
        format.setLineHeight(para.LineSpacing, QTextBlockFormat::LineDistanceHeight);
    const QColor back = screenColour(para.Background.Color);
    if (back.isValid())
        format.setBackground(back);
    return format;
}

TFontInfo RVStyleView::fontInfoFor(const QTextCharFormat &format) const
{
    TFontInfo style = textStyle(0);
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        style.FontName = families.first();
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        style.Size = int(std::lround(format.fontPointSize()));
    quint8 bits = 0;
    if (format.fontWeight() >= QFont::Bold)
        bits |= TFontInfo::fsBold;
    if (format.fontItalic())
        bits |= TFontInfo::fsItalic;
    if (format.fontUnderline())
        bits |= TFontInfo::fsUnderline;
    if (format.fontStrikeOut())
        bits |= TFontInfo::fsStrikeOut;
    style.Style = bits;
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        style.Color = Colour::fromRgb(format.foreground().color().rgb());
    style.BackColor = Colour::None;
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush
        && format.background().color().alpha() > 0)
        style.BackColor = Colour::fromRgb(format.background().color().rgb());
    style.Standard = false;
    return style;
}
