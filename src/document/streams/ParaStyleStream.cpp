// The paragraph style table as a collection stream (one TParaInfo per
// entry), with the Border and Background sub-objects under their path names
// and the Tabs collection of every entry.

#include "StylePropertyTable.h"
#include "StyleStreams.h"

using namespace StreamProperties;
using namespace StylePropertyTable;

namespace {

using Shared = SharedProperties<TParaInfo>;
using Offsets = TRVBorderOffsets;

constexpr auto TabProperties = std::tuple{
    property<Kind::Enum, &TRVTabInfo::Align>("Align", TabAlignNames),
    alwaysWritten<Kind::Integer, &TRVTabInfo::Position>("Position"),
    property<Kind::Text, &TRVTabInfo::Leader>("Leader"),
};

constexpr auto ParaStyleProperties = std::tuple_cat(
    Shared::head(),
    std::tuple{
        property<Kind::Integer, &TParaInfo::FirstIndent>("FirstIndent"),
        property<Kind::Integer, &TParaInfo::LeftIndent>("LeftIndent"),
        property<Kind::Integer, &TParaInfo::RightIndent>("RightIndent"),
        property<Kind::Integer, &TParaInfo::SpaceBefore>("SpaceBefore"),
        property<Kind::Integer, &TParaInfo::SpaceAfter>("SpaceAfter"),
        property<Kind::Enum, &TParaInfo::Alignment>("Alignment", AlignmentNames),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::Width>("Border.Width"),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::InternalWidth>("Border.InternalWidth"),
        property<Kind::Colour, &TParaInfo::Border, &TRVBorder::Color>("Border.Color"),
        property<Kind::Enum, &TParaInfo::Border, &TRVBorder::Style>("Border.Style", BorderStyleNames),
        property<Kind::Boolean, &TParaInfo::Border, &TRVBorder::VisibleLeft>("Border.VisibleBorders.Left"),
        property<Kind::Boolean, &TParaInfo::Border, &TRVBorder::VisibleRight>("Border.VisibleBorders.Right"),
        property<Kind::Boolean, &TParaInfo::Border, &TRVBorder::VisibleTop>("Border.VisibleBorders.Top"),
        property<Kind::Boolean, &TParaInfo::Border, &TRVBorder::VisibleBottom>("Border.VisibleBorders.Bottom"),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::BorderOffsets, &Offsets::Left>(
            "Border.BorderOffsets.Left"),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::BorderOffsets, &Offsets::Right>(
            "Border.BorderOffsets.Right"),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::BorderOffsets, &Offsets::Top>(
            "Border.BorderOffsets.Top"),
        property<Kind::Integer, &TParaInfo::Border, &TRVBorder::BorderOffsets, &Offsets::Bottom>(
            "Border.BorderOffsets.Bottom"),
        property<Kind::Colour, &TParaInfo::Background, &TRVBackground::Color>("Background.Color"),
        property<Kind::Integer, &TParaInfo::Background, &TRVBackground::BorderOffsets, &Offsets::Left>(
            "Background.BorderOffsets.Left"),
        property<Kind::Integer, &TParaInfo::Background, &TRVBackground::BorderOffsets, &Offsets::Right>(
            "Background.BorderOffsets.Right"),
        property<Kind::Integer, &TParaInfo::Background, &TRVBackground::BorderOffsets, &Offsets::Top>(
            "Background.BorderOffsets.Top"),
        property<Kind::Integer, &TParaInfo::Background, &TRVBackground::BorderOffsets, &Offsets::Bottom>(
            "Background.BorderOffsets.Bottom"),
        property<Kind::Integer, &TParaInfo::LineSpacing>("LineSpacing"),
        property<Kind::Enum, &TParaInfo::LineSpacingType>("LineSpacingType", LineSpacingTypeNames),
        Shared::options(ParaOptionNames),
        Shared::BiDiMode,
        collection<&TParaInfo::Tabs>("Tabs", TabProperties),
        property<Kind::Integer, &TParaInfo::NextParaNo>("NextParaNo"),
        property<Kind::Integer, &TParaInfo::DefStyleNo>("DefStyleNo"),
        property<Kind::NameSet, &TParaInfo::ModifiedProperties1>("ModifiedProperties1"),
        property<Kind::NameSet, &TParaInfo::ModifiedProperties2>("ModifiedProperties2"),
    });

void writeParaStyle(ObjectStreamWriter &w, const TParaInfo &s)
{
    writeEntry(w, ParaStyleProperties, s);
}

void readParaStyleProperty(ObjectStreamReader &r, QByteArrayView name, TParaInfo &s)
{
    readEntryProperty(r, ParaStyleProperties, name, s);
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
