#include "SourceFileReader.h"

#include "document/model/BorrowedView.h"
#include "document/streams/ClassRegistry.h"
#include "document/model/CodePage.h"
#include "ExtraPropertyLines.h"
#include "document/pictures/InvalidPicture.h"
#include "LayoutBlock.h"
#include "document/streams/MarkerStream.h"
#include "document/pictures/PictureCodec.h"
#include "RecordHeader.h"
#include "SourceFileFormat.h"
#include "document/streams/StyleStreams.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using namespace SourceFormat;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<QByteArray> fromHex(QByteArrayView text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes(text.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int hi = hexDigit(text[2 * i]);
        const int lo = hexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = char((hi << 4) | lo);
    }
    return bytes;
}

QStringView utf16View(const QByteArray &bytes)
{
    return QStringView(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
}

QByteArray utf16Bytes(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

class SourceFileReader {
public:
    SourceFileReader(QByteArrayView data, SourceDocument &document) : m_data(data), m_doc(document) {}
    template <TemporaryOwner<QByteArrayView> Owner>
    SourceFileReader(Owner &&, SourceDocument &) = delete;

    bool read(FileError *error);

private:
    enum class State { Header, Data, Skip };
    enum class LineMode { Text, TextThenBlock, Block, TextThenUtf16, Utf16 };

    struct Record {
        RecordKind kind = RecordKind::None;
        int styleNo = 0;
        int lineCount = 0;
        int paraField = 0;
        int dataMode = 0;
        int propertyKind = 0;
        bool lastLineIsBlock = false;
        int bodyLine = -1;        // pictures and controls: the line of the body, -1 when none
        SourceItem item;          // the item being built (a template for text lines)
        bool classKnown = false;  // pictures and controls
        QByteArray className;
        OpaqueRecord opaque;
    };

    bool fail(const QString &reason);

    bool readLine(QByteArrayView &line);
    bool stepOverLineEnd();
    void prepareLine(int index);

    bool readHeader(QByteArrayView line);
    void beginRecord(RecordHeader &&header);

    bool readDataLine(QByteArrayView line);
    bool readTextLine(QByteArrayView line);
    bool readPropertyLine(QByteArrayView line, int index);
    bool readBackgroundLine(QByteArrayView line, int index);
    bool readObjectLine(QByteArrayView line, int index);
    bool startPicture();
    bool readPictureBody(const QByteArray &body);
    bool startControl();
    bool readControlBody(const QByteArray &body);
    std::optional<QByteArray> bodyOf(QByteArrayView line);
    void endRecord();

    void addItem(SourceItem item);
    void placeLastItem();
    void repairStyleNumbers();
    void matchTextForm(SourceItem &item) const;

    QByteArrayView m_data;
    SourceDocument &m_doc;
    qsizetype m_pos = 0;
    qsizetype m_lineStart = 0;
    int m_lineNumber = 0;
    State m_state = State::Header;
    LineMode m_mode = LineMode::Text;
    FormatVersion m_version;
    std::optional<Checkpoint> m_pendingCheckpoint;
    Record m_rec;
    int m_lineIndex = 0;
    FileError m_error;
};

bool SourceFileReader::fail(const QString &reason)
{
    m_error.offset = m_lineStart;
    m_error.line = m_lineNumber;
    m_error.reason = reason;
    return false;
}

bool SourceFileReader::read(FileError *error)
{
    // Nearly every item is a line of its own, so the number of line ends
    // bounds the items well; room for them up front spares the document
    // from growing (and moving every item) again and again. Pages of the
    // room left unused are never touched.
    constexpr qsizetype MostItemsReserved = qsizetype(1) << 20;
    const qsizetype lineEnds = qsizetype(std::count(m_data.begin(), m_data.end(), '\n'));
    m_doc.items.reserve(size_t(std::min(lineEnds + 1, MostItemsReserved)));

    bool ok = true;
    while (ok && m_pos < m_data.size()) {
        m_lineStart = m_pos;
        ++m_lineNumber;
        QByteArrayView line;
        ok = readLine(line);
        if (!ok)
            break;
        switch (m_state) {
        case State::Header:
            ok = readHeader(line);
            break;
        case State::Data:
        case State::Skip:
            ok = readDataLine(line);
            break;
        }
        ok = ok && stepOverLineEnd();
    }
    repairStyleNumbers();
    if (ok && m_state != State::Header) {
        m_lineStart = m_pos;
        ok = fail(u"the file ends inside a record: %1 of its %2 data lines are missing"_s
                      .arg(m_rec.lineCount - m_lineIndex)
                      .arg(m_rec.lineCount));
    }
    if (!ok && error) {
        error->offset = m_error.offset;
        error->line = m_error.line;
        error->reason = m_error.reason;
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Lines

bool SourceFileReader::readLine(QByteArrayView &line)
{
    const qsizetype size = m_data.size();
    switch (m_mode) {
    case LineMode::Text:
    case LineMode::TextThenBlock:
    case LineMode::TextThenUtf16: {
        const char *begin = m_data.data() + m_pos;
        const char *end = m_data.data() + size;
        const char *p = begin;
        while (p < end && *p != '\r' && *p != '\n' && *p != '\0')
            ++p;
        line = QByteArrayView(begin, p - begin);
        m_pos += p - begin;
        return true;
    }
    case LineMode::Block: {
        if (size - m_pos < 4)
            return fail(u"the file ends inside the length of a binary block"_s);
        const qint32 length = qFromLittleEndian<qint32>(m_data.data() + m_pos);
        if (length < 0)
            return fail(u"a binary block has the negative length %1"_s.arg(length));
        if (length > size - m_pos - 4)
            return fail(u"a binary block of %1 bytes runs past the end of the file (%2 bytes left)"_s.arg(length).arg(
                size - m_pos - 4));
        line = m_data.sliced(m_pos + 4, length);
        m_pos += 4 + length;
        return true;
    }
    case LineMode::Utf16: {
        qsizetype p = m_pos;
        while (p + 1 < size) {
            const char16_t unit = qFromLittleEndian<quint16>(m_data.data() + p);
            if (unit == 0x2029 || unit == 0)
                break;
            p += 2;
        }
        line = m_data.sliced(m_pos, p - m_pos);
        m_pos = p;
        return true;
    }
    }
    return false;
}

bool SourceFileReader::stepOverLineEnd()
{
    const qsizetype size = m_data.size();
    const auto crlf = [&] { return size - m_pos >= 2 && m_data[m_pos] == '\r' && m_data[m_pos + 1] == '\n'; };
    switch (m_mode) {
    case LineMode::Text: {
        const qsizetype before = m_pos;
        if (m_pos < size && m_data[m_pos] == '\r')
            ++m_pos;
        if (m_pos < size && m_data[m_pos] == '\n')
            ++m_pos;
        // A NUL ends a text line too; stepping over it keeps a run of them
        // from being read as endless empty lines.
        if (m_pos == before && m_pos < size && m_data[m_pos] == '\0')
            ++m_pos;
        return true;
    }
    case LineMode::TextThenBlock:
        if (!crlf())
            return fail(u"the line before a binary block does not end with CR LF"_s);
        m_pos += 2;
        m_mode = LineMode::Block;
        return true;
    case LineMode::TextThenUtf16:
        if (!crlf())
            return fail(u"the line before UTF-16 text does not end with CR LF"_s);
        m_pos += 2;
        m_mode = LineMode::Utf16;
        return true;
    case LineMode::Block:
        m_mode = LineMode::Text;
        return true;
    case LineMode::Utf16:
        // U+2029 ends a line; a zero unit too, and is stepped over likewise
        // (as is an odd byte at the very end).
        m_pos = qMin(size, m_pos + 2);
        if (m_state == State::Header)
            m_mode = LineMode::Text;
        return true;
    }
    return true;
}

// Sets the line mode for data line `index` of the current record: the line
// before a block must end with CR LF.
void SourceFileReader::prepareLine(int index)
{
    if (m_rec.lastLineIsBlock && index == m_rec.lineCount - 1 && m_mode == LineMode::Text)
        m_mode = LineMode::TextThenBlock;
}

// ---------------------------------------------------------------------------
// Headers

bool SourceFileReader::readHeader(QByteArrayView line)
{
    QString reason;
    auto header = parseRecordHeader(line, m_version, m_doc.styles, reason);
    if (!header)
        return fail(reason);
    if (header->kind == RecordKind::Version) {
        m_version = header->version;
        return true;
    }
    beginRecord(std::move(*header));
    Record &r = m_rec;
    m_lineIndex = 0;
    if (r.lineCount == 0) {
        if (r.kind == RecordKind::Text || r.kind == RecordKind::Tab)
            addItem(std::move(r.item));
        if (r.kind == RecordKind::Opaque) {
            r.item.opaque = std::make_shared<const OpaqueRecord>(std::move(r.opaque));
            addItem(std::move(r.item));
        }
        return true;
    }
    m_state = r.kind == RecordKind::None ? State::Skip : State::Data;
    if (r.kind == RecordKind::Text && r.item.isUtf16() && r.dataMode != HexUtf16)
        m_mode = LineMode::TextThenUtf16;
    prepareLine(0);
    return true;
}

// Makes the record (and the item it starts) from its header: style numbers
// repaired, the background and a checkpoint taken.
void SourceFileReader::beginRecord(RecordHeader &&h)
{
    m_rec = Record{};
    Record &r = m_rec;
    r.kind = h.kind;
    r.styleNo = h.styleNo;
    r.lineCount = h.lineCount;
    r.paraField = h.paraField;
    r.dataMode = h.dataMode;
    r.propertyKind = h.propertyKind;
    r.item.styleNo = h.styleNo;
    r.item.options = h.options;
    r.item.tag = std::move(h.tag);
    r.item.hint = std::move(h.hint);
    r.item.vAlign = h.vAlign;
    r.item.tabTextStyle = h.tabTextStyle;
    r.opaque.headerTail = std::move(h.otherTail);
    if (r.kind == RecordKind::Background) {
        m_doc.background.mode = h.backgroundMode;
        m_doc.background.picture.reset();
        m_doc.background.colour = h.backgroundColour;
    }

    // Style numbers outside their tables are repaired to 0.
    if (r.kind == RecordKind::Text && size_t(r.styleNo) >= m_doc.styles.TextStyles.size())
        r.styleNo = r.item.styleNo = 0;
    if (r.paraField != -1 && (r.paraField < -1 || size_t(r.paraField) >= m_doc.styles.ParaStyles.size()))
        r.paraField = 0;
    if (r.kind == RecordKind::Tab
        && (r.item.tabTextStyle < 0 || size_t(r.item.tabTextStyle) >= m_doc.styles.TextStyles.size()))
        r.item.tabTextStyle = 0;

    // Records that cannot be what their kind says are counted off.
    if ((r.kind == RecordKind::Property && r.lineCount != 2 && r.lineCount != 0)
        || (r.kind == RecordKind::Background && r.lineCount != 2 && r.lineCount != 0))
        r.kind = RecordKind::None;
    if (r.kind == RecordKind::Picture || r.kind == RecordKind::Control) {
        r.bodyLine = r.dataMode == NoBody ? -1 : r.lineCount - 1;
        if (r.lineCount < (r.bodyLine < 0 ? 2 : 3))
            r.kind = RecordKind::None;
    }
    r.lastLineIsBlock = r.kind != RecordKind::Text && r.dataMode == BinaryData;
    if (r.kind == RecordKind::Opaque)
        r.opaque.dataMode = r.dataMode;

    if (r.kind == RecordKind::Checkpoint) {
        // Attached to the next item added.
        Checkpoint &checkpoint = m_pendingCheckpoint.emplace();
        checkpoint.hasTag = r.item.tag.has_value();
        checkpoint.tag = r.item.tag.value_or(QByteArray());
        checkpoint.raiseEvent = h.raiseEvent;
        checkpoint.persistent = h.persistent;
    }
}

// ---------------------------------------------------------------------------
// Data lines

bool SourceFileReader::readDataLine(QByteArrayView line)
{
    const int index = m_lineIndex;
    bool ok = true;
    switch (m_rec.kind) {
    case RecordKind::Text:
        ok = readTextLine(line);
        break;
    case RecordKind::Property:
        ok = readPropertyLine(line, index);
        break;
    case RecordKind::Background:
        ok = readBackgroundLine(line, index);
        break;
    case RecordKind::Picture:
    case RecordKind::Control:
        ok = readObjectLine(line, index);
        break;
    case RecordKind::Checkpoint:
        if (index == 0 && m_pendingCheckpoint)
            m_pendingCheckpoint->name = line.toByteArray();
        break;
    case RecordKind::Opaque:
        m_rec.opaque.lines.append(line.toByteArray());
        m_rec.opaque.lineIsBlock.append(m_mode == LineMode::Block);
        break;
    case RecordKind::Tab:
    case RecordKind::None:
    case RecordKind::Version:
        break;
    }
    if (!ok)
        return false;
    ++m_lineIndex;
    if (m_lineIndex >= m_rec.lineCount)
        endRecord();
    else
        prepareLine(m_lineIndex);
    return true;
}

void SourceFileReader::endRecord()
{
    m_state = State::Header;
    switch (m_rec.kind) {
    case RecordKind::Picture:
    case RecordKind::Control:
    case RecordKind::Tab:
        addItem(std::move(m_rec.item));
        break;
    case RecordKind::Opaque:
        m_rec.item.opaque = std::make_shared<const OpaqueRecord>(std::move(m_rec.opaque));
        addItem(std::move(m_rec.item));
        break;
    default:
        break;
    }
}

std::optional<QByteArray> SourceFileReader::bodyOf(QByteArrayView line)
{
    if (m_rec.dataMode == BinaryData)
        return line.toByteArray();
    auto bytes = fromHex(line);
    if (!bytes)
        fail(u"a hexadecimal body holds something other than pairs of hexadecimal digits"_s);
    return bytes;
}

bool SourceFileReader::readTextLine(QByteArrayView line)
{
    QByteArray text;
    bool utf16 = false;
    if (m_rec.dataMode == HexUtf16) {
        auto units = fromHex(line);
        if (!units || units->size() % 2 != 0)
            return fail(u"a hexadecimal UTF-16 text line is not whole code units"_s);
        text = std::move(*units);
        utf16 = true;
    } else {
        text = line.toByteArray();
    }
    // Text items are most of a file: each is made in place at the end of
    // the document rather than built and moved there.
    SourceItem &item = m_doc.items.emplace_back(m_rec.item);
    item.text = std::move(text);
    if (utf16)
        item.options |= ItemOption::Utf16Text;
    placeLastItem();
    return true;
}

bool SourceFileReader::readPropertyLine(QByteArrayView line, int index)
{
    if (index == 0)
        return true;  // the name of the style table component, or nothing
    const auto bytes = bodyOf(line);
    if (!bytes)
        return false;
    StreamError error;
    switch (m_rec.propertyKind) {
    case TextStyles: {
        std::vector<TFontInfo> table;
        if (!DecodeStyleTable(*bytes, table, &error))
            return fail(u"the text style table cannot be read: %1 at byte %2"_s.arg(error.reason).arg(error.offset));
        if (!table.empty())
            m_doc.styles.TextStyles = std::move(table);
        return true;
    }
    case ParaStyles: {
        std::vector<TParaInfo> table;
        if (!DecodeStyleTable(*bytes, table, &error))
            return fail(
                u"the paragraph style table cannot be read: %1 at byte %2"_s.arg(error.reason).arg(error.offset));
        if (!table.empty())
            m_doc.styles.ParaStyles = std::move(table);
        return true;
    }
    case ListStyles: {
        QByteArray kept;
        int entries = 0;
        if (!DecodeListStyleTable(*bytes, kept, entries, &error))
            return fail(u"the list style table cannot be read: %1 at byte %2"_s.arg(error.reason).arg(error.offset));
        if (entries > 0)
            m_doc.styles.ListStyles = std::move(kept);
        return true;
    }
    case Layout: {
        QString reason;
        const auto layout = LayoutBlock::decode(*bytes, &reason);
        if (!layout)
            return fail(reason);
        m_doc.layout = *layout;
        return true;
    }
    default:
        return true;  // a document property list, or a kind of the future
    }
}

bool SourceFileReader::readBackgroundLine(QByteArrayView line, int index)
{
    if (index == 0) {
        m_rec.className = line.toByteArray();
        return true;
    }
    const auto body = bodyOf(line);
    if (!body)
        return false;
    PicturePtr picture = DecodePicture("TBitmap", *body);
    if (!picture)
        picture = Picture::fromBody("TBitmap", *body, invalidPictureImage());
    m_doc.background.picture = std::move(picture);
    return true;
}

// Picture and control records share their lines: the item name, the class
// name, the extra property lines, then the body, as writeObjectRecord writes
// them. Only the class and the body differ between the two.
bool SourceFileReader::readObjectLine(QByteArrayView line, int index)
{
    Record &r = m_rec;
    if (index == 0) {
        r.item.name = line.toByteArray();
    } else if (index == 1) {
        r.className = line.toByteArray();
        // Objects of unknown classes are dropped when the record ends.
        r.classKnown = r.kind == RecordKind::Picture ? startPicture() : startControl();
    } else if (index != r.bodyLine) {
        readExtraProperty(line, r.item.extras);
    } else if (r.classKnown) {
        const auto body = bodyOf(line);
        if (!body)
            return false;
        return r.kind == RecordKind::Picture ? readPictureBody(*body) : readControlBody(*body);
    }
    return true;
}

bool SourceFileReader::startPicture()
{
    Record &r = m_rec;
    if (!isKnownPictureClass(r.className))
        return false;
    if (r.bodyLine < 0)
        r.item.picture = Picture::fromBody(r.className, QByteArray(), QImage());
    return true;
}

bool SourceFileReader::readPictureBody(const QByteArray &body)
{
    Record &r = m_rec;
    r.item.picture = DecodePicture(r.className, body);
    // A body that cannot be decoded shows as the invalid picture but keeps
    // its class and bytes, so saving the file again loses nothing.
    if (!r.item.picture)
        r.item.picture = Picture::fromBody(r.className, body, invalidPictureImage());
    return true;
}

bool SourceFileReader::startControl()
{
    Record &r = m_rec;
    if (!ClassRegistry::isRegistered(r.className))
        return false;
    auto control = std::make_shared<EmbeddedControl>();
    control->className = r.className;
    r.item.control = std::move(control);
    return true;
}

bool SourceFileReader::readControlBody(const QByteArray &body)
{
    Record &r = m_rec;
    StreamError error;
    if (DecodeMarkerControl(body, *r.item.control, &error))
        return true;
    r.item.control.reset();
    return fail(u"the component stream of a %1 cannot be read: %2 at byte %3"_s
                    .arg(QString::fromLatin1(r.className), error.reason)
                    .arg(error.offset));
}

// ---------------------------------------------------------------------------
// Items

void SourceFileReader::matchTextForm(SourceItem &item) const
{
    if (item.styleNo < 0 || size_t(item.styleNo) >= m_doc.styles.TextStyles.size())
        return;
    const TFontInfo &style = m_doc.styles.TextStyles[size_t(item.styleNo)];
    if (item.isUtf16() == style.Unicode)
        return;
    if (style.Unicode) {
        item.text = utf16Bytes(CodePage::toUnicode(style.codePage(), item.text));
        item.options |= ItemOption::Utf16Text;
    } else {
        item.text = CodePage::fromUnicode(style.codePage(), utf16View(item.text));
        item.options &= quint8(~ItemOption::Utf16Text);
    }
}

void SourceFileReader::addItem(SourceItem item)
{
    if ((item.isPicture() && !item.picture) || (item.isControl() && !item.control))
        return;
    m_doc.items.push_back(std::move(item));
    placeLastItem();
}

// Joins the item just appended to its paragraph, matches its text to its
// style's form and gives it the pending checkpoint.
void SourceFileReader::placeLastItem()
{
    const size_t count = m_doc.items.size();
    SourceItem &item = m_doc.items.back();
    const int field = m_rec.paraField;
    if (field == -1 && count > 1 && !m_doc.items[count - 2].isFullWidth()) {
        item.paraNo = m_doc.items[count - 2].paraNo;
        item.setContinuesParagraph();
    } else {
        item.options &= quint8(~ItemOption::ContinuesParagraph);
        item.paraNo = field == -1 ? 0 : field;
    }
    if (item.isText())
        matchTextForm(item);
    if (m_pendingCheckpoint) {
        item.checkpoint = std::move(m_pendingCheckpoint);
        m_pendingCheckpoint.reset();
    }
}

// Style numbers are checked against the tables as each record is read, but
// records come in any order: a table read after the items that use it may
// be shorter. Whatever the tables are in the end, no item is left pointing
// outside them.
void SourceFileReader::repairStyleNumbers()
{
    const size_t textStyles = m_doc.styles.TextStyles.size();
    const size_t paraStyles = m_doc.styles.ParaStyles.size();
    for (SourceItem &item : m_doc.items) {
        if (item.isText() && size_t(item.styleNo) >= textStyles) {
            item.styleNo = 0;
            matchTextForm(item);
        }
        if (item.isTab() && (item.tabTextStyle < 0 || size_t(item.tabTextStyle) >= textStyles))
            item.tabTextStyle = 0;
        if (item.paraNo < 0 || size_t(item.paraNo) >= paraStyles)
            item.paraNo = 0;
    }
}

} // namespace

bool readSourceBytes(QByteArrayView bytes, SourceDocument &document, FileError *error)
{
    // The marker classes this system writes are always recreated, whatever
    // the program registered before (registering again adds nothing).
    ClassRegistry::registerStandardClasses();
    document.items.clear();
    SourceFileReader reader(bytes, document);
    return reader.read(error);
}

bool ReadSourceFile(const QString &fileName, SourceDocument &document, FileError *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = FileError{fileName, -1, -1, file.errorString()};
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = FileError{fileName, -1, -1, file.errorString()};
        return false;
    }
    if (error)
        error->fileName = fileName;
    return readSourceBytes(bytes, document, error);
}
