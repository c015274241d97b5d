// The text style table as a collection stream (one TFontInfo per entry).

#include "StylePropertyTable.h"
#include "StyleStreams.h"

using namespace StreamProperties;
using namespace StylePropertyTable;

namespace {

using Shared = SharedProperties<TFontInfo>;

constexpr auto TextStyleProperties = std::tuple_cat(
    Shared::head(),
    std::tuple{
        property<Kind::Charset, &TFontInfo::Charset>("Charset"),
        property<Kind::Text, &TFontInfo::FontName>("FontName"),
        property<Kind::Integer, &TFontInfo::Size>("Size"),
        property<Kind::Flags, &TFontInfo::Style>("Style", FontStyleNames),
        property<Kind::Integer, &TFontInfo::VShift>("VShift"),
        property<Kind::Colour, &TFontInfo::Color>("Color"),
        property<Kind::Colour, &TFontInfo::BackColor>("BackColor"),
        property<Kind::Colour, &TFontInfo::HoverBackColor>("HoverBackColor"),
        property<Kind::Colour, &TFontInfo::HoverColor>("HoverColor"),
        property<Kind::Flags, &TFontInfo::StyleEx>("StyleEx", StyleExNames),
        property<Kind::Boolean, &TFontInfo::Jump>("Jump"),
        property<Kind::Integer, &TFontInfo::JumpCursor>("JumpCursor"),
        property<Kind::Integer, &TFontInfo::CharScale>("CharScale"),
        property<Kind::Integer, &TFontInfo::CharSpacing>("CharSpacing"),
        Shared::BiDiMode,
        property<Kind::Flags, &TFontInfo::Protection>("Protection", ProtectionNames),
        Shared::options(TextOptionNames),
        property<Kind::Integer, &TFontInfo::NextStyleNo>("NextStyleNo"),
        property<Kind::Boolean, &TFontInfo::Unicode>("Unicode"),
        property<Kind::NameSet, &TFontInfo::ModifiedProperties>("ModifiedProperties"),
    });

void writeTextStyle(ObjectStreamWriter &w, const TFontInfo &s)
{
    writeEntry(w, TextStyleProperties, s);
}

void readTextStyleProperty(ObjectStreamReader &r, QByteArrayView name, TFontInfo &s)
{
    if (name == "SingleSymbols") {
        // Older files said this instead of the two protection flags.
        bool single = false;
        if (readBool(r.readValue(), single) && single)
            s.Protection |= TFontInfo::rvprStyleProtect | TFontInfo::rvprDoNotAutoSwitch;
        return;
    }
    readEntryProperty(r, TextStyleProperties, name, s);
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
