// The text style table as a collection stream (one TFontInfo per entry).

#include "CollectionStream.h"
#include "StreamProperties.h"
#include "StyleStreams.h"

using namespace StreamProperties;

namespace {

void writeTextStyle(ObjectStreamWriter &w, const TFontInfo &s)
{
    const TFontInfo d;  // the defaults
    if (s.BaseStyleNo != d.BaseStyleNo) {
        w.writeProperty("BaseStyleNo");
        w.writeInteger(s.BaseStyleNo);
    }
    if (!s.StyleName.isEmpty()) {
        w.writeProperty("StyleName");
        w.writeString(s.StyleName);
    }
    if (s.Standard != d.Standard) {
        w.writeProperty("Standard");
        w.writeBoolean(s.Standard);
    }
    if (s.StyleTemplateId != d.StyleTemplateId) {
        w.writeProperty("StyleTemplateId");
        w.writeInteger(s.StyleTemplateId);
    }
    if (s.Charset != d.Charset) {
        w.writeProperty("Charset");
        w.writeCharset(s.Charset);
    }
    if (!s.FontName.isEmpty()) {
        w.writeProperty("FontName");
        w.writeString(s.FontName);
    }
    if (s.Size != d.Size) {
        w.writeProperty("Size");
        w.writeInteger(s.Size);
    }
    if (s.Style != 0) {
        w.writeProperty("Style");
        w.writeSet(flagNames(s.Style, FontStyleNames));
    }
    if (s.VShift != d.VShift) {
        w.writeProperty("VShift");
        w.writeInteger(s.VShift);
    }
    if (s.Color != d.Color) {
        w.writeProperty("Color");
        w.writeColour(s.Color);
    }
    if (s.BackColor != d.BackColor) {
        w.writeProperty("BackColor");
        w.writeColour(s.BackColor);
    }
    if (s.HoverBackColor != d.HoverBackColor) {
        w.writeProperty("HoverBackColor");
        w.writeColour(s.HoverBackColor);
    }
    if (s.HoverColor != d.HoverColor) {
        w.writeProperty("HoverColor");
        w.writeColour(s.HoverColor);
    }
    if (s.StyleEx != 0) {
        w.writeProperty("StyleEx");
        w.writeSet(flagNames(s.StyleEx, StyleExNames));
    }
    if (s.Jump != d.Jump) {
        w.writeProperty("Jump");
        w.writeBoolean(s.Jump);
    }
    if (s.JumpCursor != d.JumpCursor) {
        w.writeProperty("JumpCursor");
        w.writeInteger(s.JumpCursor);
    }
    if (s.CharScale != d.CharScale) {
        w.writeProperty("CharScale");
        w.writeInteger(s.CharScale);
    }
    if (s.CharSpacing != d.CharSpacing) {
        w.writeProperty("CharSpacing");
        w.writeInteger(s.CharSpacing);
    }
    if (s.BiDiMode != d.BiDiMode) {
        w.writeProperty("BiDiMode");
        w.writeIdent(BiDiModeNames.at(size_t(s.BiDiMode) % BiDiModeNames.size()));
    }
    if (s.Protection != 0) {
        w.writeProperty("Protection");
        w.writeSet(flagNames(s.Protection, ProtectionNames));
    }
    if (s.Options != 0) {
        w.writeProperty("Options");
        w.writeSet(flagNames(s.Options, TextOptionNames));
    }
    if (s.NextStyleNo != d.NextStyleNo) {
        w.writeProperty("NextStyleNo");
        w.writeInteger(s.NextStyleNo);
    }
    if (s.Unicode != d.Unicode) {
        w.writeProperty("Unicode");
        w.writeBoolean(s.Unicode);
    }
    if (!s.ModifiedProperties.isEmpty()) {
        w.writeProperty("ModifiedProperties");
        w.writeSet(QList<QByteArrayView>(s.ModifiedProperties.cbegin(), s.ModifiedProperties.cend()));
    }
}

// Sets one property; a value of the wrong type leaves the default.
void readTextStyleProperty(ObjectStreamReader &r, QByteArrayView name, TFontInfo &s)
{
    const StreamValue v = r.readValue();
    if (name == "BaseStyleNo")
        readInt(v, s.BaseStyleNo);
    else if (name == "StyleName")
        readText(v, s.StyleName);
    else if (name == "Standard")
        readBool(v, s.Standard);
    else if (name == "StyleTemplateId")
        readInt(v, s.StyleTemplateId);
    else if (name == "Charset")
        readCharset(v, s.Charset);
    else if (name == "FontName")
        readText(v, s.FontName);
    else if (name == "Size")
        readInt(v, s.Size);
    else if (name == "Style")
        readFlagsField(v, FontStyleNames, s.Style);
    else if (name == "VShift")
        readInt(v, s.VShift);
    else if (name == "Color")
        readColour(v, s.Color);
    else if (name == "BackColor")
        readColour(v, s.BackColor);
    else if (name == "HoverBackColor")
        readColour(v, s.HoverBackColor);
    else if (name == "HoverColor")
        readColour(v, s.HoverColor);
    else if (name == "StyleEx")
        readFlagsField(v, StyleExNames, s.StyleEx);
    else if (name == "Jump")
        readBool(v, s.Jump);
    else if (name == "JumpCursor")
        readInt(v, s.JumpCursor);
    else if (name == "CharScale")
        readInt(v, s.CharScale);
    else if (name == "CharSpacing")
        readInt(v, s.CharSpacing);
    else if (name == "BiDiMode")
        readEnumField(v, BiDiModeNames, s.BiDiMode);
    else if (name == "Protection")
        readFlagsField(v, ProtectionNames, s.Protection);
    else if (name == "Options")
        readFlagsField(v, TextOptionNames, s.Options);
    else if (name == "NextStyleNo")
        readInt(v, s.NextStyleNo);
    else if (name == "Unicode")
        readBool(v, s.Unicode);
    else if (name == "ModifiedProperties" && v.tag == ValueTag::Set)
        s.ModifiedProperties = v.members;
    else if (name == "SingleSymbols") {
        // Older files said this instead of the two protection flags.
        bool single = false;
        if (readBool(v, single) && single)
            s.Protection |= TFontInfo::rvprStyleProtect | TFontInfo::rvprDoNotAutoSwitch;
    }
}

} // namespace

QByteArray EncodeStyleTable(const std::vector<TFontInfo> &table)
{
    return CollectionStream::encodeTable(table, writeTextStyle);
}

bool DecodeStyleTable(QByteArrayView bytes, std::vector<TFontInfo> &table, StreamError *error)
{
    return CollectionStream::decodeTable(bytes, table, error, readTextStyleProperty);
}
