// The paragraph style table as a collection stream (one TParaInfo per
// entry), with the Border and Background sub-objects under their path names
// and the Tabs collection of every entry.

#include "CollectionStream.h"
#include "StreamProperties.h"
#include "StyleStreams.h"

using namespace StreamProperties;

namespace {

void writeIntIfNot(ObjectStreamWriter &w, QByteArrayView name, int value, int fallback)
{
    if (value != fallback) {
        w.writeProperty(name);
        w.writeInteger(value);
    }
}

void writeBoolIfNot(ObjectStreamWriter &w, QByteArrayView name, bool value, bool fallback)
{
    if (value != fallback) {
        w.writeProperty(name);
        w.writeBoolean(value);
    }
}

void writeOffsets(ObjectStreamWriter &w, const QByteArray &path, const TRVBorderOffsets &o)
{
    writeIntIfNot(w, path + "Left", o.Left, 0);
    writeIntIfNot(w, path + "Right", o.Right, 0);
    writeIntIfNot(w, path + "Top", o.Top, 0);
    writeIntIfNot(w, path + "Bottom", o.Bottom, 0);
}

void writeTabs(ObjectStreamWriter &w, const QList<TRVTabInfo> &tabs)
{
    w.writeProperty("Tabs");
    CollectionStream::begin(w);
    for (const TRVTabInfo &tab : tabs) {
        CollectionStream::beginEntry(w);
        if (tab.Align != TRVTabInfo::rvtaLeft) {
            w.writeProperty("Align");
            w.writeIdent(TabAlignNames.at(size_t(tab.Align) % TabAlignNames.size()));
        }
        w.writeProperty("Position");
        w.writeInteger(tab.Position);
        if (!tab.Leader.isEmpty()) {
            w.writeProperty("Leader");
            w.writeString(tab.Leader);
        }
        CollectionStream::endEntry(w);
    }
    CollectionStream::end(w);
}

void writeParaStyle(ObjectStreamWriter &w, const TParaInfo &s)
{
    const TParaInfo d;
    writeIntIfNot(w, "BaseStyleNo", s.BaseStyleNo, d.BaseStyleNo);
    if (!s.StyleName.isEmpty()) {
        w.writeProperty("StyleName");
        w.writeString(s.StyleName);
    }
    writeBoolIfNot(w, "Standard", s.Standard, d.Standard);
    writeIntIfNot(w, "StyleTemplateId", s.StyleTemplateId, d.StyleTemplateId);
    writeIntIfNot(w, "FirstIndent", s.FirstIndent, 0);
    writeIntIfNot(w, "LeftIndent", s.LeftIndent, 0);
    writeIntIfNot(w, "RightIndent", s.RightIndent, 0);
    writeIntIfNot(w, "SpaceBefore", s.SpaceBefore, 0);
    writeIntIfNot(w, "SpaceAfter", s.SpaceAfter, 0);
    if (s.Alignment != d.Alignment) {
        w.writeProperty("Alignment");
        w.writeIdent(AlignmentNames.at(size_t(s.Alignment) % AlignmentNames.size()));
    }

    const TRVBorder &b = s.Border;
    const TRVBorder db;
    writeIntIfNot(w, "Border.Width", b.Width, db.Width);
    writeIntIfNot(w, "Border.InternalWidth", b.InternalWidth, db.InternalWidth);
    if (b.Color != db.Color) {
        w.writeProperty("Border.Color");
        w.writeColour(b.Color);
    }
    if (b.Style != db.Style) {
        w.writeProperty("Border.Style");
        w.writeIdent(BorderStyleNames.at(size_t(b.Style) % BorderStyleNames.size()));
    }
    writeBoolIfNot(w, "Border.VisibleBorders.Left", b.VisibleLeft, true);
    writeBoolIfNot(w, "Border.VisibleBorders.Right", b.VisibleRight, true);
    writeBoolIfNot(w, "Border.VisibleBorders.Top", b.VisibleTop, true);
    writeBoolIfNot(w, "Border.VisibleBorders.Bottom", b.VisibleBottom, true);
    writeOffsets(w, "Border.BorderOffsets.", b.BorderOffsets);

    if (s.Background.Color != d.Background.Color) {
        w.writeProperty("Background.Color");
        w.writeColour(s.Background.Color);
    }
    writeOffsets(w, "Background.BorderOffsets.", s.Background.BorderOffsets);

    writeIntIfNot(w, "LineSpacing", s.LineSpacing, d.LineSpacing);
    if (s.LineSpacingType != d.LineSpacingType) {
        w.writeProperty("LineSpacingType");
        w.writeIdent(LineSpacingTypeNames.at(size_t(s.LineSpacingType) % LineSpacingTypeNames.size()));
    }
    if (s.Options != 0) {
        w.writeProperty("Options");
        w.writeSet(flagNames(s.Options, ParaOptionNames));
    }
    if (s.BiDiMode != d.BiDiMode) {
        w.writeProperty("BiDiMode");
        w.writeIdent(BiDiModeNames.at(size_t(s.BiDiMode) % BiDiModeNames.size()));
    }
    writeTabs(w, s.Tabs);
    writeIntIfNot(w, "NextParaNo", s.NextParaNo, d.NextParaNo);
    writeIntIfNot(w, "DefStyleNo", s.DefStyleNo, d.DefStyleNo);
    if (!s.ModifiedProperties1.isEmpty()) {
        w.writeProperty("ModifiedProperties1");
        w.writeSet(QList<QByteArrayView>(s.ModifiedProperties1.cbegin(), s.ModifiedProperties1.cend()));
    }
    if (!s.ModifiedProperties2.isEmpty()) {
        w.writeProperty("ModifiedProperties2");
        w.writeSet(QList<QByteArrayView>(s.ModifiedProperties2.cbegin(), s.ModifiedProperties2.cend()));
    }
}

bool readOffset(QByteArrayView name, const StreamValue &v, QByteArrayView path, TRVBorderOffsets &o)
{
    if (!name.startsWith(path))
        return false;
    const QByteArrayView side = name.sliced(path.size());
    if (side == "Left")
        readInt(v, o.Left);
    else if (side == "Right")
        readInt(v, o.Right);
    else if (side == "Top")
        readInt(v, o.Top);
    else if (side == "Bottom")
        readInt(v, o.Bottom);
    return true;
}

void readTabs(ObjectStreamReader &r, int depth, QList<TRVTabInfo> &tabs)
{
    QList<TRVTabInfo> read;
    CollectionStream::readEntries(
        r, depth, [&] { read.emplace_back(); },
        [&](QByteArrayView name) {
            const StreamValue v = r.readValue();
            TRVTabInfo &tab = read.back();
            if (name == "Align")
                readEnumField(v, TabAlignNames, tab.Align);
            else if (name == "Position")
                readInt(v, tab.Position);
            else if (name == "Leader")
                readText(v, tab.Leader);
        });
    tabs = std::move(read);
}

void readParaStyleProperty(ObjectStreamReader &r, QByteArrayView name, TParaInfo &s)
{
    if (name == "Tabs") {
        const ValueTag tag = r.readTag();
        if (tag == ValueTag::Collection)
            readTabs(r, 1, s.Tabs);
        else
            r.skipPayload(tag);
        return;
    }
    const StreamValue v = r.readValue();
    TRVBorder &b = s.Border;
    if (name == "BaseStyleNo")
        readInt(v, s.BaseStyleNo);
    else if (name == "StyleName")
        readText(v, s.StyleName);
    else if (name == "Standard")
        readBool(v, s.Standard);
    else if (name == "StyleTemplateId")
        readInt(v, s.StyleTemplateId);
    else if (name == "FirstIndent")
        readInt(v, s.FirstIndent);
    else if (name == "LeftIndent")
        readInt(v, s.LeftIndent);
    else if (name == "RightIndent")
        readInt(v, s.RightIndent);
    else if (name == "SpaceBefore")
        readInt(v, s.SpaceBefore);
    else if (name == "SpaceAfter")
        readInt(v, s.SpaceAfter);
    else if (name == "Alignment")
        readEnumField(v, AlignmentNames, s.Alignment);
    else if (name == "Border.Width")
        readInt(v, b.Width);
    else if (name == "Border.InternalWidth")
        readInt(v, b.InternalWidth);
    else if (name == "Border.Color")
        readColour(v, b.Color);
    else if (name == "Border.Style")
        readEnumField(v, BorderStyleNames, b.Style);
    else if (name == "Border.VisibleBorders.Left")
        readBool(v, b.VisibleLeft);
    else if (name == "Border.VisibleBorders.Right")
        readBool(v, b.VisibleRight);
    else if (name == "Border.VisibleBorders.Top")
        readBool(v, b.VisibleTop);
    else if (name == "Border.VisibleBorders.Bottom")
        readBool(v, b.VisibleBottom);
    else if (readOffset(name, v, "Border.BorderOffsets.", b.BorderOffsets))
        return;
    else if (name == "Background.Color")
        readColour(v, s.Background.Color);
    else if (readOffset(name, v, "Background.BorderOffsets.", s.Background.BorderOffsets))
        return;
    else if (name == "LineSpacing")
        readInt(v, s.LineSpacing);
    else if (name == "LineSpacingType")
        readEnumField(v, LineSpacingTypeNames, s.LineSpacingType);
    else if (name == "Options")
        readFlagsField(v, ParaOptionNames, s.Options);
    else if (name == "BiDiMode")
        readEnumField(v, BiDiModeNames, s.BiDiMode);
    else if (name == "NextParaNo")
        readInt(v, s.NextParaNo);
    else if (name == "DefStyleNo")
        readInt(v, s.DefStyleNo);
    else if (name == "ModifiedProperties1" && v.tag == ValueTag::Set)
        s.ModifiedProperties1 = v.members;
    else if (name == "ModifiedProperties2" && v.tag == ValueTag::Set)
        s.ModifiedProperties2 = v.members;
}

} // namespace

QByteArray EncodeStyleTable(const std::vector<TParaInfo> &table)
{
    return CollectionStream::encodeTable(table, writeParaStyle);
}

bool DecodeStyleTable(QByteArrayView bytes, std::vector<TParaInfo> &table, StreamError *error)
{
    return CollectionStream::decodeTable(bytes, table, error, readParaStyleProperty);
}
