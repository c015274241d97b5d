#include "RecordHeader.h"

#include "document/model/CodePage.h"
#include "HeaderFields.h"
#include "SourceFileFormat.h"

using namespace Qt::StringLiterals;

namespace {

// A style given by its quoted name in a header: the first entry of the table
// with that name, else 0. Nothing when the quote is not closed.
template <typename Style>
std::optional<int> styleByName(HeaderFields &fields, const std::vector<Style> &table)
{
    const auto name = fields.quoted();
    if (!name)
        return std::nullopt;
    const QString text = CodePage::fromWindows1251(*name);
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].StyleName == text)
            return int(i);
    }
    return 0;
}

template <typename Style>
std::optional<int> numberOrStyleName(HeaderFields &fields, const std::vector<Style> &table)
{
    if (!fields.atQuote())
        return fields.number();
    return styleByName(fields, table);
}

// The tag: nothing (no tag), a tag, or a fault (an unclosed quote). Tags are
// quoted strings from version 1.3 on; before, a token up to the next space.
std::optional<std::optional<QByteArray>> readTag(HeaderFields &fields, FormatVersion version)
{
    std::optional<QByteArray> tag;
    if (fields.atQuote() && (version.version > 1 || version.subversion > 2)) {
        auto text = fields.quoted();
        if (!text)
            return std::nullopt;
        tag = std::move(*text);
    } else {
        const QByteArrayView token = fields.token();
        if (!token.isEmpty() && token != "0")
            tag = token.toByteArray();
    }
    fields.skipOneSpace();
    return tag;
}

// A last field that older files leave out: when there, it is a number.
bool readNumberIfPresent(HeaderFields &fields, int &target, const QString &fault, QString &reason)
{
    if (fields.atEnd())
        return true;
    const auto number = fields.number();
    if (!number) {
        reason = fault;
        return false;
    }
    target = *number;
    return true;
}

// The kind-specific fields after the tag; false with `reason` on a fault.
bool readTail(HeaderFields &fields, RecordHeader &h, QString &reason)
{
    switch (h.kind) {
    case RecordKind::Property: {
        const auto kind = fields.number();
        if (!kind) {
            reason = u"the document property record has no property kind"_s;
            return false;
        }
        h.propertyKind = *kind;
        return true;
    }
    case RecordKind::Background: {
        const auto mode = fields.number();
        const auto colour = fields.number();
        if (!mode || !colour) {
            reason = u"the background record has no picture mode and colour"_s;
            return false;
        }
        h.backgroundMode = *mode;
        h.backgroundColour = TColor(*colour);
        return true;
    }
    case RecordKind::Text:
        if (!fields.atEnd()) {
            if (fields.atQuote()) {
                auto hint = fields.quoted();
                if (!hint) {
                    reason = u"the hint's quotes are not closed"_s;
                    return false;
                }
                h.hint = std::move(*hint);
            } else {
                h.hint = fields.rest().toByteArray();
            }
        }
        return true;
    case RecordKind::Picture:
    case RecordKind::Control:
        return readNumberIfPresent(fields, h.vAlign, u"the vertical alignment is not a number"_s, reason);
    case RecordKind::Tab:
        return readNumberIfPresent(fields, h.tabTextStyle, u"the tab's text style is not a number"_s, reason);
    case RecordKind::Opaque:
        h.otherTail = fields.rest().toByteArray();
        return true;
    case RecordKind::Checkpoint:
        // Both flags are absent in older files.
        h.raiseEvent = fields.number().value_or(0) != 0;
        h.persistent = fields.number().value_or(0) != 0;
        return true;
    case RecordKind::None:
    case RecordKind::Version:
        return true;
    }
    return true;
}

} // namespace

RecordKind recordKindOf(int styleNo)
{
    if (styleNo >= 0)
        return RecordKind::Text;
    switch (styleNo) {
    case SourceFormat::VersionRecord: return RecordKind::Version;
    case ItemStyle::Picture: return RecordKind::Picture;
    case ItemStyle::Control: return RecordKind::Control;
    case ItemStyle::Tab: return RecordKind::Tab;
    case SourceFormat::PropertyRecord: return RecordKind::Property;
    case SourceFormat::BackgroundRecord: return RecordKind::Background;
    case SourceFormat::CheckpointRecord: return RecordKind::Checkpoint;
    default: return SourceFormat::isOtherEditorKind(styleNo) ? RecordKind::Opaque : RecordKind::None;
    }
}

std::optional<RecordHeader> parseRecordHeader(QByteArrayView line, FormatVersion version, const TRVStyle &styles,
                                              QString &reason)
{
    const auto fault = [&](const QString &why) {
        reason = why;
        return std::nullopt;
    };
    HeaderFields fields(line);
    RecordHeader h;
    const auto styleNo = numberOrStyleName(fields, styles.TextStyles);
    if (!styleNo)
        return fault(u"the record header does not start with a style number"_s);
    h.styleNo = *styleNo;
    h.kind = recordKindOf(h.styleNo);
    if (h.kind == RecordKind::Version) {
        const auto number = fields.number();
        const auto subversion = fields.number();
        if (!number || !subversion)
            return fault(u"the version record does not hold two numbers"_s);
        h.version = FormatVersion{*number, *subversion};
        return h;
    }

    const auto lineCount = fields.number();
    if (!lineCount || *lineCount < 0)
        return fault(u"the record header has no valid line count"_s);
    h.lineCount = *lineCount;
    const auto paraField = numberOrStyleName(fields, styles.ParaStyles);
    if (!paraField)
        return fault(u"the record header has no paragraph number"_s);
    h.paraField = *paraField;
    // Files before version 1.2 have no item options.
    if (version.version > 0 && version.subversion > 1) {
        const auto options = fields.number();
        if (!options)
            return fault(u"the record header has no item options"_s);
        h.options = quint8(*options);
    }
    const auto dataMode = fields.number();
    if (!dataMode)
        return fault(u"the record header has no data mode"_s);
    h.dataMode = *dataMode;
    auto tag = readTag(fields, version);
    if (!tag)
        return fault(u"the tag's quotes are not closed"_s);
    h.tag = std::move(*tag);
    if (!readTail(fields, h, reason))
        return std::nullopt;
    return h;
}
