#include "SourceItem.h"

using namespace Qt::StringLiterals;

void SourceItem::setContinuesParagraph()
{
    options = quint8((options | ItemOption::ContinuesParagraph)
                     & ~(ItemOption::PageBreakBefore | ItemOption::LineBreakBefore));
}

void SourceItem::setLineBreakBefore()
{
    options = quint8((options | ItemOption::LineBreakBefore) & ~ItemOption::ContinuesParagraph);
}

void SourceItem::setPageBreakBefore()
{
    options = quint8((options | ItemOption::PageBreakBefore)
                     & ~(ItemOption::ContinuesParagraph | ItemOption::LineBreakBefore));
}

void SourceItem::setNewParagraph()
{
    options = quint8(options & ~(ItemOption::ContinuesParagraph | ItemOption::LineBreakBefore));
}

SourceItem SourceItem::textItem(QByteArray text, int styleNo, int paraNo, bool continues)
{
    SourceItem item;
    item.styleNo = styleNo;
    item.paraNo = paraNo;
    item.text = std::move(text);
    if (continues)
        item.setContinuesParagraph();
    return item;
}

SourceItem SourceItem::pictureItem(PicturePtr picture, int paraNo, bool continues)
{
    SourceItem item;
    item.styleNo = ItemStyle::Picture;
    item.paraNo = paraNo;
    item.picture = std::move(picture);
    if (continues)
        item.setContinuesParagraph();
    return item;
}

SourceItem SourceItem::controlItem(EmbeddedControl control, int paraNo, bool continues)
{
    SourceItem item;
    item.styleNo = ItemStyle::Control;
    item.paraNo = paraNo;
    item.control = std::make_shared<EmbeddedControl>(std::move(control));
    if (continues)
        item.setContinuesParagraph();
    return item;
}

QString itemKindName(const SourceItem &item)
{
    if (item.isText())
        return u"text"_s;
    if (item.isPicture())
        return u"picture"_s;
    if (item.isControl())
        return item.markerKind() ? u"marker"_s : u"control"_s;
    if (item.isTab())
        return u"tab"_s;
    switch (item.styleNo) {
    case ItemStyle::Break: return u"line"_s;
    case ItemStyle::Hotspot: return u"hotspot"_s;
    case ItemStyle::Bullet: return u"bullet"_s;
    case ItemStyle::HotPicture: return u"hot picture"_s;
    case ItemStyle::ListMarker: return u"list marker"_s;
    case ItemStyle::Table: return u"table"_s;
    default: return u"other"_s;
    }
}
