#include "SourceFileWriter.h"

#include "ExtraPropertyLines.h"
#include "LayoutBlock.h"
#include "document/streams/MarkerStream.h"
#include "document/pictures/PictureCodec.h"
#include "SourceFileFormat.h"
#include "document/streams/StyleStreams.h"

#include <QSaveFile>
#include <QtEndian>

#include <charconv>

using namespace Qt::StringLiterals;

using namespace SourceFormat;

namespace {

class Output {
public:
    explicit Output(QByteArray &bytes) : m_bytes(bytes) {}

    void line(QByteArrayView text)
    {
        m_bytes.append(text);
        m_bytes.append("\r\n", 2);
    }
    // A length-prefixed block; the next line starts right after it.
    void block(QByteArrayView data)
    {
        char length[4];
        qToLittleEndian(qint32(data.size()), length);
        m_bytes.append(length, 4);
        m_bytes.append(data);
    }
    void raw(QByteArrayView data) { m_bytes.append(data); }

private:
    QByteArray &m_bytes;
};

// A header line from its fields, separated by single spaces.
class Header {
public:
    Header &operator<<(int n)
    {
        separate();
        // Formatted in place: a long message writes hundreds of thousands of
        // headers, and a string for every number of them shows.
        char digits[12];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        m_text.append(digits, end - digits);
        return *this;
    }
    Header &operator<<(QByteArrayView field)
    {
        separate();
        m_text.append(field);
        return *this;
    }
    // Appends with no separator before it.
    Header &attach(QByteArrayView text)
    {
        m_text.append(text);
        return *this;
    }
    const QByteArray &text() const { return m_text; }

private:
    void separate()
    {
        if (!m_text.isEmpty())
            m_text.append(' ');
    }
    QByteArray m_text;
};

QByteArray quoted(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (const char c : text) {
        out.append(c);
        if (c == '"')
            out.append('"');
    }
    out.append('"');
    return out;
}

QByteArray tagField(const std::optional<QByteArray> &tag)
{
    return tag ? quoted(*tag) : QByteArray("0");
}

int paragraphField(const SourceItem &item)
{
    return (item.options & ItemOption::ContinuesParagraph) ? -1 : item.paraNo;
}

int optionsField(const SourceItem &item)
{
    return item.options & HeaderOptionBits;
}

void writeVersionRecord(Output &out)
{
    out.line((Header() << VersionRecord << WrittenVersion << WrittenSubversion).text());
}

void writeBackgroundRecord(Output &out, const DocumentBackground &background)
{
    if (background.mode == 0 || !background.picture) {
        out.line((Header() << BackgroundRecord << 0 << -1 << 0 << TextData << 0 << 0 << background.colour).text());
        return;
    }
    out.line((Header() << BackgroundRecord << 2 << 0 << 0 << BinaryData << 0 << background.mode << background.colour)
                 .text());
    out.line(background.picture->className());
    out.block(EncodePicture(*background.picture));
}

void writeDocumentProperty(Output &out, PropertyKind kind, QByteArrayView firstLine, QByteArrayView block)
{
    out.line((Header() << PropertyRecord << 2 << 0 << 0 << BinaryData << 0 << int(kind)).text());
    out.line(firstLine);
    out.block(block);
}

void writeStyleTableRecords(Output &out, const TRVStyle &styles)
{
    writeDocumentProperty(out, TextStyles, StyleTableOwner, EncodeStyleTable(styles.TextStyles));
    writeDocumentProperty(out, ParaStyles, StyleTableOwner, EncodeStyleTable(styles.ParaStyles));
    writeDocumentProperty(out, ListStyles, StyleTableOwner, EncodeListStyleTable(styles.ListStyles));
}

void writeLayoutRecord(Output &out, const DocumentLayout &layout)
{
    writeDocumentProperty(out, Layout, QByteArrayView(), LayoutBlock::encode(layout));
}

void writeCheckpointRecord(Output &out, const Checkpoint &checkpoint)
{
    // A name read from a binary block may hold line ends, which a text line
    // cannot carry: such a name goes back into a block.
    const bool block = checkpoint.name.contains('\r') || checkpoint.name.contains('\n')
        || checkpoint.name.contains('\0');
    Header h;
    h << CheckpointRecord << 1 << 0 << 0 << (block ? BinaryData : TextData);
    h << (checkpoint.hasTag ? quoted(checkpoint.tag) : QByteArray("0"));
    h << int(checkpoint.raiseEvent) << int(checkpoint.persistent);
    out.line(h.text());
    if (block)
        out.block(checkpoint.name);
    else
        out.line(checkpoint.name);
}

void writeTextLine(Output &out, const SourceItem &item)
{
    if (item.isUtf16()) {
        // UTF-16 text ends with the paragraph separator U+2029 instead of
        // CR LF.
        out.raw(item.text);
        out.raw(QByteArrayView("\x29\x20", 2));
    } else {
        out.line(item.text);
    }
}

// Whether `next` may join the text record that `first` opened.
bool joinsTextRecord(const SourceItem &first, const SourceItem &next)
{
    return next.isText() && !(next.options & ItemOption::ContinuesParagraph) && next.styleNo == first.styleNo
        && next.paraNo == paragraphField(first) && optionsField(next) == optionsField(first) && next.tag == first.tag
        && next.hint == first.hint && !next.checkpoint;
}

// Writes the text record opened by items[begin]; returns the index after it.
size_t writeTextRecord(Output &out, const std::vector<SourceItem> &items, size_t begin)
{
    const SourceItem &first = items[begin];
    size_t end = begin + 1;
    while (end < items.size() && joinsTextRecord(first, items[end]))
        ++end;
    Header h;
    h << first.styleNo << int(end - begin) << paragraphField(first) << optionsField(first) << TextData
      << tagField(first.tag);
    if (!first.hint.isEmpty())
        h.attach(" ").attach(quoted(first.hint));
    out.line(h.text());
    for (size_t i = begin; i < end; ++i)
        writeTextLine(out, items[i]);
    return end;
}

void writeObjectRecord(Output &out, const SourceItem &item, QByteArrayView className, ExtraPropertyOwner owner,
                       const QByteArray &body)
{
    const QList<QByteArray> extras = writeExtraProperties(item.extras, owner);
    Header h;
    h << item.styleNo << int(3 + extras.size()) << paragraphField(item) << optionsField(item) << BinaryData
      << tagField(item.tag) << item.vAlign;
    out.line(h.text());
    out.line(item.name);
    out.line(className);
    for (const QByteArray &line : extras)
        out.line(line);
    out.block(body);
}

void writePictureRecord(Output &out, const SourceItem &item)
{
    writeObjectRecord(out, item, item.picture->className(), ExtraPropertyOwner::Picture,
                      EncodePicture(*item.picture));
}

void writeControlRecord(Output &out, const SourceItem &item)
{
    writeObjectRecord(out, item, item.control->className, ExtraPropertyOwner::Control,
                      EncodeMarkerControl(*item.control));
}

void writeTabRecord(Output &out, const SourceItem &item)
{
    out.line((Header() << ItemStyle::Tab << 0 << paragraphField(item) << optionsField(item) << TextData
                       << tagField(item.tag) << item.tabTextStyle)
                 .text());
}

void writeOpaqueRecord(Output &out, const SourceItem &item)
{
    const OpaqueRecord &record = *item.opaque;
    Header h;
    h << item.styleNo << int(record.lines.size()) << paragraphField(item) << optionsField(item) << record.dataMode
      << tagField(item.tag);
    if (!record.headerTail.isEmpty())
        h.attach(" ").attach(record.headerTail);
    out.line(h.text());
    for (qsizetype i = 0; i < record.lines.size(); ++i) {
        if (i < record.lineIsBlock.size() && record.lineIsBlock[i])
            out.block(record.lines[i]);
        else
            out.line(record.lines[i]);
    }
}

// A text line ends at CR, LF or NUL (a UTF-16 one at U+2029 or a zero
// unit), so a text holding one would not read back as written and would
// throw every record after it out of step. Such a text is written as
// several items, each after a line break, and its NULs are dropped.
bool needsSplitting(const SourceItem &item)
{
    if (!item.isText())
        return false;
    if (!item.isUtf16())
        return item.text.contains('\r') || item.text.contains('\n') || item.text.contains('\0');
    const auto *units = reinterpret_cast<const char16_t *>(item.text.constData());
    for (qsizetype i = 0; i < item.text.size() / 2; ++i) {
        const char16_t u = qFromLittleEndian(units[i]);
        if (u == 0x2029 || u == 0)
            return true;
    }
    return false;
}

void appendSplit(std::vector<SourceItem> &out, const SourceItem &item)
{
    const int unit = item.isUtf16() ? 2 : 1;
    const auto unitAt = [&](qsizetype i) -> char16_t {
        if (unit == 1)
            return char16_t(quint8(item.text[i]));
        return char16_t(quint8(item.text[i]) | (quint8(item.text[i + 1]) << 8));
    };
    const auto isBreak = [&](char16_t u) { return unit == 1 ? (u == '\r' || u == '\n') : u == 0x2029; };
    SourceItem part = item;
    part.text.clear();
    const qsizetype size = item.text.size() - item.text.size() % unit;
    for (qsizetype i = 0; i < size; i += unit) {
        const char16_t u = unitAt(i);
        if (u == 0)
            continue;
        if (!isBreak(u)) {
            part.text.append(item.text.constData() + i, unit);
            continue;
        }
        if (unit == 1 && u == '\r' && i + 1 < size && item.text[i + 1] == '\n')
            ++i;
        out.push_back(part);
        part = item;
        part.text.clear();
        part.checkpoint.reset();
        part.setLineBreakBefore();
    }
    out.push_back(std::move(part));
}

} // namespace

QByteArray writeSourceBytes(const SourceDocument &document)
{
    QByteArray bytes;
    if (document.items.empty())
        return bytes;

    const std::vector<SourceItem> *items = &document.items;
    std::vector<SourceItem> split;
    for (size_t i = 0; i < document.items.size(); ++i) {
        if (!needsSplitting(document.items[i]))
            continue;
        split.assign(document.items.begin(), document.items.begin() + qsizetype(i));
        for (; i < document.items.size(); ++i) {
            if (needsSplitting(document.items[i]))
                appendSplit(split, document.items[i]);
            else
                split.push_back(document.items[i]);
        }
        items = &split;
    }

    qsizetype estimate = 1024;
    for (const SourceItem &item : *items)
        estimate += 16 + item.text.size();
    bytes.reserve(estimate);

    Output out(bytes);
    writeVersionRecord(out);
    writeBackgroundRecord(out, document.background);
    writeStyleTableRecords(out, document.styles);
    writeLayoutRecord(out, document.layout);

    size_t i = 0;
    while (i < items->size()) {
        const SourceItem &item = (*items)[i];
        if (item.checkpoint)
            writeCheckpointRecord(out, *item.checkpoint);
        if (item.isText()) {
            i = writeTextRecord(out, *items, i);
            continue;
        }
        // An object without its picture or control cannot be written; the
        // reader would drop it anyway.
        if (item.isPicture() && item.picture)
            writePictureRecord(out, item);
        else if (item.isControl() && item.control)
            writeControlRecord(out, item);
        else if (item.isTab())
            writeTabRecord(out, item);
        else if (item.opaque)
            writeOpaqueRecord(out, item);
        ++i;
    }
    return bytes;
}

bool WriteSourceFile(const QString &fileName, const SourceDocument &document, FileError *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = FileError{fileName, -1, -1, reason};
        return false;
    };
    const QByteArray bytes = writeSourceBytes(document);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
