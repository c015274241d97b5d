#include "RVDocument.h"

#include "RVFormats.h"

#include "document/model/CodePage.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr char16_t ObjectChar = 0xFFFC;
constexpr char16_t LineSeparator = 0x2028;

bool isObjectType(int type)
{
    return type == RVFormat::PictureObject || type == RVFormat::MarkerObject || type == RVFormat::OtherObject;
}

int objectTypeOf(const SourceItem &item)
{
    if (item.isPicture())
        return RVFormat::PictureObject;
    if (item.markerKind())
        return RVFormat::MarkerObject;
    return RVFormat::OtherObject;
}

QTextCharFormat objectFormat(int type, int id)
{
    QTextCharFormat format;
    format.setObjectType(type);
    format.setProperty(RVFormat::ObjectId, id);
    return format;
}

} // namespace

RVDocument::RVDocument() = default;

RVDocument::~RVDocument()
{
    QObject::disconnect(m_watch);
    QObject::disconnect(m_watchModification);
}

std::optional<int> RVDocument::textStyleOf(const QTextCharFormat &format)
{
    if (isObjectType(format.objectType()) || !format.hasProperty(RVFormat::TextStyleNo))
        return std::nullopt;
    return format.intProperty(RVFormat::TextStyleNo);
}

// ---------------------------------------------------------------------------
// Building the QTextDocument

int RVDocument::addObject(SourceItem item)
{
    item.options = 0;
    item.paraNo = 0;
    m_objects.push_back(std::move(item));
    return int(m_objects.size()) - 1;
}

void RVDocument::insertObject(QTextCursor &cursor, SourceItem item)
{
    const int type = objectTypeOf(item);
    const int id = addObject(std::move(item));
    cursor.insertText(QString(QChar(ObjectChar)), objectFormat(type, id));
}

QTextCharFormat RVDocument::textFormat(int styleNo, int extraId) const
{
    if (extraId <= 0)
        return m_style.charFormat(styleNo);
    QTextCharFormat format = m_style.charFormat(styleNo);
    format.setProperty(RVFormat::TextExtraId, extraId);
    return format;
}

void RVDocument::insertItems(QTextCursor &cursor, SourceDocument &source, const std::vector<int> &styleMap,
                             const std::vector<int> &paraMap, bool fillFirstBlock, bool takeObjects,
                             int currentStyle)
{
    auto mapStyle = [&](int k) {
        if (k >= 0 && size_t(k) < styleMap.size())
            return styleMap[size_t(k)];
        return m_style.isTextStyle(k) ? k : 0;
    };
    auto mapPara = [&](int p) {
        if (p >= 0 && size_t(p) < paraMap.size())
            return paraMap[size_t(p)];
        return (p >= 0 && p < m_style.paraStyleCount()) ? p : 0;
    };
    auto blockFormatOf = [&](const SourceItem &item) {
        QTextBlockFormat format = m_style.blockFormat(mapPara(item.paraNo));
        // Page breaks and bits this editor does not use are kept for the file.
        const int extra = item.options & ~(ItemOption::ContinuesParagraph | ItemOption::LineBreakBefore
                                           | ItemOption::Utf16Text);
        if (extra != 0)
            format.setProperty(RVFormat::BlockOptions, extra);
        return format;
    };

    bool first = true;
    int lastStyle = currentStyle;
    for (int i = 0; i < source.itemCount(); ++i) {
        const SourceItem &item = source.item(i);
        const int styleNo = item.isText() ? mapStyle(item.styleNo) : item.isTab() ? mapStyle(item.tabTextStyle)
                                                                                : lastStyle;
        if (!first && item.startsParagraph()) {
            cursor.insertBlock(blockFormatOf(item), textFormat(styleNo, 0));
        } else if (!first && (item.options & ItemOption::LineBreakBefore)) {
            cursor.insertText(QString(QChar(LineSeparator)), textFormat(styleNo, 0));
        } else if (first && fillFirstBlock) {
            cursor.setBlockFormat(blockFormatOf(item));
            cursor.setBlockCharFormat(textFormat(styleNo, 0));
        }
        first = false;

        if (item.isText()) {
            lastStyle = styleNo;
            int extraId = 0;
            if (item.tag || !item.hint.isEmpty() || item.checkpoint) {
                m_textExtras.push_back(TextExtras{item.tag, item.hint, item.checkpoint});
                extraId = int(m_textExtras.size());
            }
            QString text = source.unicodeText(i);
            if (item.isUtf16()) {
                // Only UTF-16 texts can hold characters that would end a paragraph.
                text.replace(QChar(u'\n'), QChar(u' ')).replace(QChar(u'\r'), QChar(u' '));
                text.replace(QChar(0x2029), QChar(u' '));
            }
            if (text.isEmpty()) {
                if (cursor.atBlockStart())
                    cursor.setBlockCharFormat(textFormat(styleNo, extraId));
            } else {
                cursor.insertText(text, textFormat(styleNo, extraId));
            }
        } else if (item.isTab()) {
            cursor.insertText(QString(QChar(u'\t')), textFormat(styleNo, 0));
        } else if (takeObjects) {
            insertObject(cursor, std::move(source.items[size_t(i)]));
        } else {
            SourceItem object = item;
            if (object.control)
                object.control = std::make_shared<EmbeddedControl>(*object.control);
            insertObject(cursor, std::move(object));
        }
    }
}

QTextDocument *RVDocument::load(SourceDocument source, const QFont &font, QObject *parent, int currentStyle)
{
    m_style.setTables(source.styles);
    m_background = source.background;
    m_layout = source.layout;
    m_objects.clear();
    m_objects.reserve(size_t(source.itemCount()));
    m_textExtras.clear();
    m_changedOutsideUndo = false;

    // The document is filled before anyone lays it out, so that it is laid
    // out once, lazily, instead of after every item.
    auto *doc = new QTextDocument(parent);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(qMax(0, m_layout.LeftMargin));
    {
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        cursor.setBlockFormat(m_style.blockFormat(0));
        cursor.setBlockCharFormat(textFormat(0, 0));
        insertItems(cursor, source, {}, {}, true, true, currentStyle);
        cursor.endEditBlock();
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);

    QObject::disconnect(m_watch);
    m_document = doc;
    m_placesValid = false;
    // Only a document with a layout announces its changes. A view creates
    // one anyway; a caller without a view would see stale places.
    doc->documentLayout();
    m_watch = QObject::connect(doc, &QTextDocument::contentsChange, doc, [this] { m_placesValid = false; });
    // Undo or redo back to the saved state makes Qt's flag clear; the
    // document has been changed all the same, so it stays modified.
    QObject::disconnect(m_watchModification);
    m_watchModification = QObject::connect(doc, &QTextDocument::modificationChanged, doc, [this](bool modified) {
        if (!modified && !m_clearingModified)
            m_changedOutsideUndo = true;
    });
    return doc;
}

void RVDocument::addParagraph(const QString &text, int styleNo, int paraNo)
{
    if (!m_style.isTextStyle(styleNo))
        styleNo = 0;
    QTextCursor c(m_document);
    c.movePosition(QTextCursor::End);
    if (m_document->characterCount() <= 1) {
        c.setBlockFormat(m_style.blockFormat(paraNo));
        c.setBlockCharFormat(textFormat(styleNo, 0));
    } else {
        c.insertBlock(m_style.blockFormat(paraNo), textFormat(styleNo, 0));
    }
    QString clean = text;
    clean.replace(QChar(u'\n'), QChar(u' ')).replace(QChar(u'\r'), QChar(u' '));
    c.insertText(clean, textFormat(styleNo, 0));
}

bool RVDocument::convertTextStyles(int from, int to, const std::function<int(int styleNo)> &convert)
{
    struct Change {
        int from;
        int to;
        int styleNo;
        int extraId;
    };
    std::vector<Change> changes;
    std::vector<std::pair<int, int>> mapping;  // old style -> new style, asked once each
    auto convertOnce = [&](int styleNo) {
        for (const auto &[old, result] : mapping) {
            if (old == styleNo)
                return result;
        }
        int result = convert(styleNo);
        if (!m_style.isTextStyle(result))
            result = styleNo;
        mapping.emplace_back(styleNo, result);
        return result;
    };
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int s = std::max(fragment.position(), from);
            const int e = std::min(fragment.position() + fragment.length(), to);
            if (s >= e)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (isObjectType(format.objectType()))
                continue;
            const int styleNo = format.intProperty(RVFormat::TextStyleNo);
            const int converted = convertOnce(m_style.isTextStyle(styleNo) ? styleNo : 0);
            if (converted != styleNo)
                changes.push_back(Change{s, e, converted, format.intProperty(RVFormat::TextExtraId)});
        }
    }
    if (changes.empty())
        return false;
    QTextCursor c(m_document);
    c.beginEditBlock();
    for (const Change &change : changes) {
        c.setPosition(change.from);
        c.setPosition(change.to, QTextCursor::KeepAnchor);
        c.setCharFormat(textFormat(change.styleNo, change.extraId));
    }
    c.endEditBlock();
    return true;
}

bool RVDocument::isModified() const
{
    return (m_document && m_document->isModified()) || m_changedOutsideUndo;
}

void RVDocument::setModified(bool modified)
{
    if (m_document) {
        m_clearingModified = true;
        m_document->setModified(modified);
        m_clearingModified = false;
    }
    if (!modified)
        m_changedOutsideUndo = false;
}

// ---------------------------------------------------------------------------
// Reading the QTextDocument back

void RVDocument::collectItems(std::vector<SourceItem> *items, std::vector<ItemPlace> *places, int from,
                              int to, const std::function<void()> &pause) const
{
    const QTextDocument *doc = m_document;
    if (!doc)
        return;
    const bool whole = to < 0;
    if (whole)
        to = doc->characterCount() - 1;  // the final paragraph end is no content
    // A document of one empty paragraph has no items at all.
    if (whole && doc->characterCount() <= 1)
        return;
    if (from >= to && !whole)
        return;

    int paraNo = 0;
    int blockOptions = 0;
    bool startOfBlock = true;
    bool lineBreak = false;
    int lastStyle = 0;

    auto begin = [&](SourceItem &item) {
        item.paraNo = paraNo;
        if (startOfBlock)
            item.options = quint8(blockOptions);
        else if (lineBreak)
            item.options = ItemOption::LineBreakBefore;
        else
            item.options = ItemOption::ContinuesParagraph;
        startOfBlock = false;
        lineBreak = false;
    };
    auto addPlace = [&](int position, int length, bool isText) {
        if (places)
            places->push_back(ItemPlace{position, length, isText});
    };
    auto emitText = [&](int position, QStringView text, int styleNo, int extraId) {
        lastStyle = styleNo;
        addPlace(position, int(text.size()), true);
        if (!items) {
            startOfBlock = lineBreak = false;
            return;
        }
        SourceItem item;
        item.styleNo = styleNo;
        begin(item);
        const TFontInfo &style = m_style.textStyle(styleNo);
        if (style.Unicode) {
            item.options |= ItemOption::Utf16Text;
            item.text = QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        } else {
            item.text = CodePage::fromUnicode(style.codePage(), text);
        }
        if (extraId > 0 && size_t(extraId) <= m_textExtras.size()) {
            const TextExtras &extras = m_textExtras[size_t(extraId - 1)];
            item.tag = extras.tag;
            item.hint = extras.hint;
            item.checkpoint = extras.checkpoint;
        }
        items->push_back(std::move(item));
    };
    auto emitTab = [&](int position, int styleNo) {
        addPlace(position, 1, false);
        if (!items) {
            startOfBlock = lineBreak = false;
            return;
        }
        SourceItem item;
        item.styleNo = ItemStyle::Tab;
        item.tabTextStyle = styleNo;
        begin(item);
        items->push_back(std::move(item));
    };
    auto emitObject = [&](int position, int id) {
        if (id < 0 || size_t(id) >= m_objects.size())
            return;
        addPlace(position, 1, false);
        if (!items) {
            startOfBlock = lineBreak = false;
            return;
        }
        // Controls are shared with the snapshot: a control is never changed
        // in place (a new entry makes a new control), so the snapshot keeps
        // what the document held when it was taken.
        SourceItem item = m_objects[size_t(id)];
        begin(item);
        items->push_back(std::move(item));
    };

    // Between two paragraphs, once every this many items, `pause` runs.
    constexpr size_t ItemsBetweenPauses = 2000;
    size_t nextPause = ItemsBetweenPauses;
    for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
        if (pause) {
            const size_t done = items ? items->size() : places ? places->size() : 0;
            if (done >= nextPause) {
                pause();
                nextPause = done + ItemsBetweenPauses;
            }
        }
        const int blockStart = block.position();
        if (blockStart > to || (blockStart == to && !whole && blockStart != from))
            break;
        const QTextBlockFormat blockFormat = block.blockFormat();
        paraNo = blockFormat.intProperty(RVFormat::ParaStyleNo);
        if (paraNo < 0 || paraNo >= m_style.paraStyleCount())
            paraNo = 0;
        blockOptions = blockFormat.intProperty(RVFormat::BlockOptions);
        startOfBlock = true;
        lineBreak = false;
        const size_t before = places ? places->size() : items->size();
        // One copy of the block's text; fragments are read as views into it.
        const QString blockText = block.text();

        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fragmentStart = fragment.position();
            const int s = std::max(fragmentStart, from);
            const int e = std::min(fragmentStart + fragment.length(), to);
            if (s >= e)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const QStringView text = QStringView(blockText).mid(fragmentStart - blockStart, fragment.length());
            const bool object = isObjectType(format.objectType());
            const int objectId = object ? format.intProperty(RVFormat::ObjectId) : -1;
            int styleNo = format.hasProperty(RVFormat::TextStyleNo) ? format.intProperty(RVFormat::TextStyleNo)
                                                                    : (object ? lastStyle : 0);
            if (!m_style.isTextStyle(styleNo))
                styleNo = 0;
            const int extraId = format.intProperty(RVFormat::TextExtraId);
            int segment = s;
            for (int p = s; p < e; ++p) {
                const char16_t c = text.at(p - fragmentStart).unicode();
                if (c != u'\t' && c != LineSeparator && c != ObjectChar)
                    continue;
                if (p > segment)
                    emitText(segment, text.mid(segment - fragmentStart, p - segment), styleNo, extraId);
                if (c == u'\t') {
                    emitTab(p, styleNo);
                } else if (c == LineSeparator) {
                    if (lineBreak || startOfBlock)
                        emitText(p, QStringView(), styleNo, 0);  // an empty line
                    lineBreak = true;
                } else if (object) {
                    emitObject(p, objectId);
                }
                segment = p + 1;
            }
            if (segment < e)
                emitText(segment, text.mid(segment - fragmentStart, e - segment), styleNo, extraId);
        }
        const size_t after = places ? places->size() : items->size();
        if (lineBreak || after == before) {
            // An empty paragraph (or line) is an empty text item.
            const QTextCharFormat format = block.charFormat();
            int styleNo = format.hasProperty(RVFormat::TextStyleNo) ? format.intProperty(RVFormat::TextStyleNo)
                                                                    : lastStyle;
            if (!m_style.isTextStyle(styleNo))
                styleNo = 0;
            emitText(after == before ? blockStart : std::min(to, blockStart + block.length() - 1), QStringView(),
                     styleNo, format.intProperty(RVFormat::TextExtraId));
        }
    }
}

SourceDocument RVDocument::emptyWithTables() const
{
    SourceDocument out;
    out.styles = m_style.tables();
    out.background = m_background;
    out.layout = m_layout;
    return out;
}

SourceDocument RVDocument::snapshot(const std::function<void()> &pause) const
{
    SourceDocument out = emptyWithTables();
    // Room for the items the last walk found, so they are not moved again.
    const size_t blocks = m_document ? size_t(m_document->blockCount()) : 0;
    out.items.reserve(std::max({m_lastItemCount, m_placesValid ? m_places.size() : size_t(0),
                                m_objects.size() + blocks}));
    collectItems(&out.items, nullptr, 0, -1, pause);
    m_lastItemCount = out.items.size();
    return out;
}

SourceDocument RVDocument::extract(int from, int to) const
{
    SourceDocument out = emptyWithTables();
    if (from < to)
        collectItems(&out.items, nullptr, from, to);
    return out;
}

const std::vector<RVDocument::ItemPlace> &RVDocument::places() const
{
    if (!m_placesValid) {
        m_places.clear();
        collectItems(nullptr, &m_places);
        m_placesValid = true;
    }
    return m_places;
}

int RVDocument::itemAt(int caret) const
{
    const auto &list = places();
    if (list.empty())
        return -1;
    // The item holding the character before the caret...
    auto it = std::upper_bound(list.begin(), list.end(), caret - 1,
                               [](int pos, const ItemPlace &place) { return pos < place.position; });
    if (it == list.begin())
        return 0;
    int n = int(it - list.begin()) - 1;
    // ...unless that character ends a paragraph or a line: then the caret
    // stands at the start of the next line, on its first item.
    const ItemPlace &place = list[size_t(n)];
    if (place.position + place.length < caret && size_t(n + 1) < list.size()
        && list[size_t(n + 1)].position == caret)
        ++n;
    return n;
}

int RVDocument::itemStyle(int itemNo) const
{
    const ItemPlace &place = places()[size_t(itemNo)];
    if (place.isText) {
        QTextCursor c(m_document);
        c.setPosition(place.position + (place.length > 0 ? 1 : 0));
        const QTextCharFormat format = c.charFormat();
        return format.intProperty(RVFormat::TextStyleNo);
    }
    const QString character = m_document->characterAt(place.position);
    if (character == QChar(u'\t'))
        return ItemStyle::Tab;
    QTextCursor c(m_document);
    c.setPosition(place.position + 1);
    const SourceItem *item = object(c.charFormat().intProperty(RVFormat::ObjectId));
    return item ? item->styleNo : ItemStyle::Control;
}

int RVDocument::positionOf(int itemNo, int offset) const
{
    const auto &list = places();
    itemNo = std::clamp(itemNo, 0, int(list.size()) - 1);
    const ItemPlace &place = list[size_t(itemNo)];
    if (place.isText)
        return place.position + std::clamp(offset - 1, 0, place.length);
    return place.position + (offset <= 0 ? 0 : 1);
}

bool RVDocument::offsetAt(int position, int *itemNo, int *offset) const
{
    const auto &list = places();
    if (list.empty())
        return false;
    // The last item starting at or before the position.
    auto it = std::upper_bound(list.begin(), list.end(), position,
                               [](int pos, const ItemPlace &place) { return pos < place.position; });
    const int n = it == list.begin() ? 0 : int(it - list.begin()) - 1;
    const ItemPlace &place = list[size_t(n)];
    const int inside = std::clamp(position - place.position, 0, place.isText ? place.length : 1);
    *itemNo = n;
    *offset = place.isText ? inside + 1 : inside;
    return true;
}

PicturePtr RVDocument::itemPicture(int itemNo) const
{
    const auto &list = places();
    if (itemNo < 0 || size_t(itemNo) >= list.size() || list[size_t(itemNo)].isText)
        return nullptr;
    const SourceItem *item = object(objectIdAt(list[size_t(itemNo)].position, RVFormat::PictureObject));
    return item ? item->picture : nullptr;
}

// ---------------------------------------------------------------------------
// Objects

const SourceItem *RVDocument::object(int id) const
{
    return (id >= 0 && size_t(id) < m_objects.size()) ? &m_objects[size_t(id)] : nullptr;
}

int RVDocument::objectIdAt(int position, int type) const
{
    if (position < 0 || position >= m_document->characterCount() - 1)
        return -1;
    if (m_document->characterAt(position) != QChar(ObjectChar))
        return -1;
    QTextCursor c(m_document);
    c.setPosition(position + 1);
    const QTextCharFormat format = c.charFormat();
    if (format.objectType() != type)
        return -1;
    const int id = format.intProperty(RVFormat::ObjectId);
    return object(id) ? id : -1;
}

const EmbeddedControl *RVDocument::markerAt(int position) const
{
    const int id = objectIdAt(position, RVFormat::MarkerObject);
    return id >= 0 ? m_objects[size_t(id)].control.get() : nullptr;
}

bool RVDocument::setPictureSize(int position, int width, int height)
{
    const int id = objectIdAt(position, RVFormat::PictureObject);
    if (id < 0)
        return false;
    ExtraProperties &extras = m_objects[size_t(id)].extras;
    extras.width = std::max(0, width);
    extras.height = std::max(0, height);
    m_changedOutsideUndo = true;
    m_document->markContentsDirty(position, 1);
    return true;
}

bool RVDocument::setMarkerEntry(int id, int index)
{
    if (!object(id) || !m_objects[size_t(id)].control)
        return false;
    ControlPtr &current = m_objects[size_t(id)].control;
    if (index < 0 || index >= current->Items.size() || index == current->ItemIndex)
        return false;
    auto control = std::make_shared<EmbeddedControl>(*current);
    control->ItemIndex = index;
    control->Text = control->Items.at(index);
    current = std::move(control);
    m_changedOutsideUndo = true;
    return true;
}
