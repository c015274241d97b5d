#include "DocumentJson.h"

#include "document/streams/StreamIdentifiers.h"
#include "document/streams/StreamProperties.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;
using namespace StreamProperties;

namespace {

QString colour(TColor c)
{
    if (const char *name = StreamIdentifiers::colourName(c))
        return QString::fromLatin1(name);
    return u"0x"_s + QString::number(quint32(c), 16).toUpper().rightJustified(8, u'0');
}

QJsonValue charset(int value)
{
    if (const char *name = StreamIdentifiers::charsetName(value))
        return QString::fromLatin1(name);
    return value;
}

QJsonArray names(unsigned bits, std::span<const char *const> table)
{
    QJsonArray out;
    for (const QByteArrayView name : flagNames(bits, table))
        out.append(QString::fromLatin1(name));
    return out;
}

QJsonArray names(const QList<QByteArray> &members)
{
    QJsonArray out;
    for (const QByteArray &m : members)
        out.append(QString::fromLatin1(m));
    return out;
}

QString enumName(int value, std::span<const char *const> table)
{
    return value >= 0 && size_t(value) < table.size() ? QString::fromLatin1(table[size_t(value)])
                                                      : QString::number(value);
}

QString bytesText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

QJsonObject textStyle(const TFontInfo &s)
{
    return QJsonObject{
        {u"BaseStyleNo"_s, s.BaseStyleNo},
        {u"StyleName"_s, s.StyleName},
        {u"Standard"_s, s.Standard},
        {u"StyleTemplateId"_s, s.StyleTemplateId},
        {u"Charset"_s, charset(s.Charset)},
        {u"FontName"_s, s.FontName},
        {u"Size"_s, s.Size},
        {u"Style"_s, names(s.Style, FontStyleNames)},
        {u"VShift"_s, s.VShift},
        {u"Color"_s, colour(s.Color)},
        {u"BackColor"_s, colour(s.BackColor)},
        {u"HoverBackColor"_s, colour(s.HoverBackColor)},
        {u"HoverColor"_s, colour(s.HoverColor)},
        {u"StyleEx"_s, names(s.StyleEx, StyleExNames)},
        {u"Jump"_s, s.Jump},
        {u"JumpCursor"_s, s.JumpCursor},
        {u"CharScale"_s, s.CharScale},
        {u"CharSpacing"_s, s.CharSpacing},
        {u"BiDiMode"_s, enumName(int(s.BiDiMode), BiDiModeNames)},
        {u"Protection"_s, names(s.Protection, ProtectionNames)},
        {u"Options"_s, names(s.Options, TextOptionNames)},
        {u"NextStyleNo"_s, s.NextStyleNo},
        {u"Unicode"_s, s.Unicode},
        {u"ModifiedProperties"_s, names(s.ModifiedProperties)},
    };
}

QJsonObject offsets(const TRVBorderOffsets &o)
{
    return QJsonObject{{u"Left"_s, o.Left}, {u"Right"_s, o.Right}, {u"Top"_s, o.Top}, {u"Bottom"_s, o.Bottom}};
}

QJsonObject paraStyle(const TParaInfo &s)
{
    QJsonArray tabs;
    for (const TRVTabInfo &tab : s.Tabs) {
        tabs.append(QJsonObject{{u"Align"_s, enumName(tab.Align, TabAlignNames)},
                                {u"Position"_s, tab.Position},
                                {u"Leader"_s, tab.Leader}});
    }
    const TRVBorder &b = s.Border;
    return QJsonObject{
        {u"BaseStyleNo"_s, s.BaseStyleNo},
        {u"StyleName"_s, s.StyleName},
        {u"Standard"_s, s.Standard},
        {u"StyleTemplateId"_s, s.StyleTemplateId},
        {u"FirstIndent"_s, s.FirstIndent},
        {u"LeftIndent"_s, s.LeftIndent},
        {u"RightIndent"_s, s.RightIndent},
        {u"SpaceBefore"_s, s.SpaceBefore},
        {u"SpaceAfter"_s, s.SpaceAfter},
        {u"Alignment"_s, enumName(s.Alignment, AlignmentNames)},
        {u"Border"_s,
         QJsonObject{{u"Width"_s, b.Width},
                     {u"InternalWidth"_s, b.InternalWidth},
                     {u"Color"_s, colour(b.Color)},
                     {u"Style"_s, enumName(b.Style, BorderStyleNames)},
                     {u"VisibleBorders"_s, QJsonObject{{u"Left"_s, b.VisibleLeft},
                                                       {u"Right"_s, b.VisibleRight},
                                                       {u"Top"_s, b.VisibleTop},
                                                       {u"Bottom"_s, b.VisibleBottom}}},
                     {u"BorderOffsets"_s, offsets(b.BorderOffsets)}}},
        {u"Background"_s, QJsonObject{{u"Color"_s, colour(s.Background.Color)},
                                      {u"BorderOffsets"_s, offsets(s.Background.BorderOffsets)}}},
        {u"LineSpacing"_s, s.LineSpacing},
        {u"LineSpacingType"_s, enumName(s.LineSpacingType, LineSpacingTypeNames)},
        {u"Options"_s, names(s.Options, ParaOptionNames)},
        {u"BiDiMode"_s, enumName(int(s.BiDiMode), BiDiModeNames)},
        {u"Tabs"_s, tabs},
        {u"NextParaNo"_s, s.NextParaNo},
        {u"DefStyleNo"_s, s.DefStyleNo},
        {u"ModifiedProperties1"_s, names(s.ModifiedProperties1)},
        {u"ModifiedProperties2"_s, names(s.ModifiedProperties2)},
    };
}

QJsonObject extras(const ExtraProperties &e)
{
    return QJsonObject{
        {u"hint"_s, bytesText(e.hint)},
        {u"unremovable"_s, e.unremovable},
        {u"vshift"_s, e.vshift},
        {u"vshiftabs"_s, e.vshiftabs},
        {u"spacing"_s, e.spacing},
        {u"resizable"_s, e.resizable},
        {u"minheightonpage"_s, e.minheightonpage},
        {u"nohtmlsize"_s, e.nohtmlsize},
        {u"ainterval"_s, e.ainterval},
        {u"transparent"_s, e.transparent},
        {u"tmode"_s, e.tmode},
        {u"tcolor"_s, e.tcolor},
        {u"filename"_s, bytesText(e.filename)},
        {u"alt"_s, bytesText(e.alt)},
        {u"visible"_s, e.visible},
    };
}

QJsonObject picture(const Picture &p)
{
    return QJsonObject{{u"class"_s, bytesText(p.className())},
                       {u"width"_s, p.width()},
                       {u"height"_s, p.height()},
                       {u"bodyBytes"_s, qint64(p.body().size())}};
}

QJsonObject item(const SourceDocument &doc, int i)
{
    const SourceItem &it = doc.item(i);
    QJsonObject out{
        {u"index"_s, i},
        {u"kind"_s, itemKindName(it)},
        {u"styleNo"_s, it.styleNo},
        {u"paraNo"_s, it.paraNo},
        {u"options"_s, int(it.options)},
        {u"continuesParagraph"_s, (it.options & ItemOption::ContinuesParagraph) != 0},
    };
    if (it.tag)
        out.insert(u"tag"_s, bytesText(*it.tag));
    if (it.checkpoint) {
        out.insert(u"checkpoint"_s, QJsonObject{{u"name"_s, bytesText(it.checkpoint->name)},
                                                {u"raiseEvent"_s, it.checkpoint->raiseEvent},
                                                {u"persistent"_s, it.checkpoint->persistent}});
    }
    if (it.isText()) {
        out.insert(u"text"_s, doc.unicodeText(i));
        if (it.isUtf16())
            out.insert(u"utf16"_s, true);
        if (!it.hint.isEmpty())
            out.insert(u"hint"_s, bytesText(it.hint));
    }
    if (it.isPicture() || it.isControl()) {
        out.insert(u"name"_s, bytesText(it.name));
        out.insert(u"vAlign"_s, it.vAlign);
        out.insert(u"extras"_s, extras(it.extras));
    }
    if (it.isPicture() && it.picture) {
        QJsonObject p = picture(*it.picture);
        p.insert(u"displayWidth"_s, it.extras.width);
        p.insert(u"displayHeight"_s, it.extras.height);
        out.insert(u"picture"_s, p);
    }
    if (it.isControl() && it.control) {
        const EmbeddedControl &c = *it.control;
        QJsonObject control{{u"class"_s, bytesText(c.className)}};
        if (c.markerKind()) {
            control.insert(u"entries"_s, QJsonArray::fromStringList(c.Items));
            control.insert(u"itemIndex"_s, c.ItemIndex);
            control.insert(u"width"_s, c.Width);
            control.insert(u"hint"_s, c.Hint);
            control.insert(u"text"_s, c.Text);
        } else {
            control.insert(u"streamBytes"_s, qint64(c.stream.size()));
        }
        out.insert(u"control"_s, control);
    }
    if (it.isTab())
        out.insert(u"tabTextStyle"_s, it.tabTextStyle);
    if (it.opaque) {
        out.insert(u"record"_s, QJsonObject{{u"dataMode"_s, it.opaque->dataMode},
                                            {u"lines"_s, int(it.opaque->lines.size())},
                                            {u"headerTail"_s, bytesText(it.opaque->headerTail)}});
    }
    return out;
}

} // namespace

QJsonObject documentToJson(const SourceDocument &doc)
{
    QJsonArray items;
    for (int i = 0; i < doc.itemCount(); ++i)
        items.append(item(doc, i));
    QJsonArray textStyles;
    for (const TFontInfo &s : doc.styles.TextStyles)
        textStyles.append(textStyle(s));
    QJsonArray paraStyles;
    for (const TParaInfo &s : doc.styles.ParaStyles)
        paraStyles.append(paraStyle(s));
    QJsonObject background{{u"color"_s, colour(doc.background.colour)}, {u"mode"_s, doc.background.mode}};
    if (doc.background.picture)
        background.insert(u"picture"_s, picture(*doc.background.picture));
    const DocumentLayout &l = doc.layout;
    return QJsonObject{
        {u"items"_s, items},
        {u"textStyles"_s, textStyles},
        {u"paraStyles"_s, paraStyles},
        {u"listStyles"_s, QString::fromLatin1(doc.styles.ListStyles.toHex(' '))},
        {u"background"_s, background},
        {u"layout"_s, QJsonObject{{u"LeftMargin"_s, l.LeftMargin},
                                  {u"RightMargin"_s, l.RightMargin},
                                  {u"TopMargin"_s, l.TopMargin},
                                  {u"BottomMargin"_s, l.BottomMargin},
                                  {u"MinTextWidth"_s, l.MinTextWidth},
                                  {u"MaxTextWidth"_s, l.MaxTextWidth},
                                  {u"BiDiMode"_s, int(l.BiDiMode)}}},
    };
}
