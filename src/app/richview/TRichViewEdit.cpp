#include "TRichViewEdit.h"
#include "app/WindowFont.h"

#include "app/MarkerComboBoxes.h"
#include "RVFormats.h"
#include "RVObjectHandler.h"

#include "document/CodePage.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

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

QFont markerFont()
{
    return windowFont();
}

// Closes the in-place list of a marker once its popup has gone, whichever
// way it went (an entry picked, Esc, a click elsewhere).
class PopupWatcher : public QObject {
public:
    PopupWatcher(QComboBox *box, QWidget *editor) : QObject(box), m_box(box), m_editor(editor) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            m_box->hide();
            m_box->deleteLater();
            m_editor->setFocus();
        }
        return false;
    }

private:
    QComboBox *m_box;
    QWidget *m_editor;
};

} // namespace

TRichViewEdit::TRichViewEdit(QWidget *parent) : QTextEdit(parent)
{
    m_handler = new RVObjectHandler(this);
    setAcceptRichText(true);
    setTabChangesFocus(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    connect(this, &QTextEdit::currentCharFormatChanged, this, &TRichViewEdit::refreshCurrentStyle);
    loadDocument(SourceDocument());
}

TRichViewEdit::~TRichViewEdit() = default;

// ---------------------------------------------------------------------------
// Building the QTextDocument

void TRichViewEdit::attachDocument(QTextDocument *doc)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    layout->registerHandler(RVFormat::PictureObject, m_handler);
    layout->registerHandler(RVFormat::MarkerObject, m_handler);
    layout->registerHandler(RVFormat::OtherObject, m_handler);
    m_placesValid = false;
    connect(doc, &QTextDocument::contentsChange, this, [this] { m_placesValid = false; });
    // The previous document is a child of the editor and goes with it.
    setDocument(doc);
    // Qt does not announce that the new document has no history.
    emit undoAvailable(doc->isUndoAvailable());
    emit redoAvailable(doc->isRedoAvailable());
    emit copyAvailable(false);
}

void TRichViewEdit::applyBackground()
{
    // A colour of none lets the style table's own colour (black) show.
    const TColor colour = m_background.color == Colour::None ? Colour::Black : m_background.color;
    QPalette pal = palette();
    const QColor base = RVStyleView::screenColour(colour);
    pal.setColor(QPalette::Base, base.isValid() ? base : QColor(Qt::black));
    // The caret is drawn in the text colour: keep it visible on the dark sign.
    pal.setColor(QPalette::Text, QColor(Qt::white));
    setPalette(pal);
}

void TRichViewEdit::setBackgroundColour(TColor colour)
{
    m_background.color = colour;
    applyBackground();
}

int TRichViewEdit::addObject(SourceItem item)
{
    item.options = 0;
    item.paraNo = 0;
    m_objects.push_back(std::move(item));
    return int(m_objects.size()) - 1;
}

QTextCharFormat TRichViewEdit::objectFormat(int type, int id) const
{
    QTextCharFormat format;
    format.setObjectType(type);
    format.setProperty(RVFormat::ObjectId, id);
    return format;
}

QTextCharFormat TRichViewEdit::textFormat(int styleNo, int extraId) const
{
    if (extraId <= 0)
        return m_style.charFormat(styleNo);
    QTextCharFormat format = m_style.charFormat(styleNo);
    format.setProperty(RVFormat::TextExtraId, extraId);
    return format;
}

void TRichViewEdit::insertItems(QTextCursor &cursor, SourceDocument &source, const std::vector<int> &styleMap,
                                const std::vector<int> &paraMap, bool fillFirstBlock, bool takeObjects)
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
    int lastStyle = m_currentTextStyle;
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
        } else {
            const int type = objectTypeOf(item);
            int id;
            if (takeObjects) {
                id = addObject(std::move(source.items[size_t(i)]));
            } else {
                SourceItem object = item;
                if (object.control)
                    object.control = std::make_shared<EmbeddedControl>(*object.control);
                id = addObject(std::move(object));
            }
            cursor.insertText(QString(QChar(ObjectChar)), objectFormat(type, id));
        }
    }
}

void TRichViewEdit::loadDocument(SourceDocument source)
{
    m_style.setTables(source.styles);
    m_background = source.background;
    m_layout = source.layout;
    m_objects.clear();
    m_objects.reserve(size_t(source.itemCount()));
    m_textExtras.clear();
    m_changedOutsideUndo = false;

    // The document is filled before the editor sees it, so that it is laid
    // out once, lazily, instead of after every item.
    auto *doc = new QTextDocument(this);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    doc->setDocumentMargin(qMax(0, m_layout.LeftMargin));
    {
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        cursor.setBlockFormat(m_style.blockFormat(0));
        cursor.setBlockCharFormat(textFormat(0, 0));
        insertItems(cursor, source, {}, {}, true, true);
        cursor.endEditBlock();
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    attachDocument(doc);
    applyBackground();
    moveCursor(QTextCursor::Start);
    refreshCurrentStyle(textCursor().charFormat());
}

void TRichViewEdit::clearDocument()
{
    SourceDocument empty;
    empty.styles = m_style.tables();
    empty.background = m_background;
    empty.layout = m_layout;
    loadDocument(std::move(empty));
    setCurrentStyle(0);
}

bool TRichViewEdit::isDocumentModified() const
{
    return document()->isModified() || m_changedOutsideUndo;
}

void TRichViewEdit::setDocumentModified(bool modified)
{
    document()->setModified(modified);
    if (!modified)
        m_changedOutsideUndo = false;
}

// ---------------------------------------------------------------------------
// Reading the QTextDocument back

void TRichViewEdit::collectItems(std::vector<SourceItem> *items, std::vector<ItemPlace> *places, int from,
                                 int to) const
{
    const QTextDocument *doc = document();
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
        // Controls are shared with the snapshot: the editor never changes one
        // in place (a new entry makes a new control), so the snapshot keeps
        // what the document held when it was taken.
        SourceItem item = m_objects[size_t(id)];
        begin(item);
        items->push_back(std::move(item));
    };

    for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
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

SourceDocument TRichViewEdit::snapshot() const
{
    SourceDocument out;
    out.styles = m_style.tables();
    out.background = m_background;
    out.layout = m_layout;
    // Room for the items the last walk found, so they are not moved again.
    out.items.reserve(std::max({m_lastItemCount, m_placesValid ? m_places.size() : size_t(0),
                                m_objects.size() + size_t(document()->blockCount())}));
    collectItems(&out.items, nullptr);
    m_lastItemCount = out.items.size();
    return out;
}

const std::vector<TRichViewEdit::ItemPlace> &TRichViewEdit::places() const
{
    if (!m_placesValid) {
        m_places.clear();
        collectItems(nullptr, &m_places);
        m_placesValid = true;
    }
    return m_places;
}

int TRichViewEdit::itemCount() const
{
    return int(places().size());
}

int TRichViewEdit::currentItemNo() const
{
    const auto &list = places();
    if (list.empty())
        return -1;
    const int p = textCursor().position();
    // The item holding the character before the caret...
    auto it = std::upper_bound(list.begin(), list.end(), p - 1,
                               [](int pos, const ItemPlace &place) { return pos < place.position; });
    if (it == list.begin())
        return 0;
    int n = int(it - list.begin()) - 1;
    // ...unless that character ends a paragraph or a line: then the caret
    // stands at the start of the next line, on its first item.
    const ItemPlace &place = list[size_t(n)];
    if (place.position + place.length < p && size_t(n + 1) < list.size() && list[size_t(n + 1)].position == p)
        ++n;
    return n;
}

int TRichViewEdit::currentItemStyle() const
{
    const int n = currentItemNo();
    if (n < 0)
        return 0;
    const ItemPlace &place = places()[size_t(n)];
    if (place.isText) {
        QTextCursor c(document());
        c.setPosition(place.position + (place.length > 0 ? 1 : 0));
        const QTextCharFormat format = c.charFormat();
        return format.intProperty(RVFormat::TextStyleNo);
    }
    const QString character = document()->characterAt(place.position);
    if (character == QChar(u'\t'))
        return ItemStyle::Tab;
    QTextCursor c(document());
    c.setPosition(place.position + 1);
    const int id = c.charFormat().intProperty(RVFormat::ObjectId);
    if (id >= 0 && size_t(id) < m_objects.size())
        return m_objects[size_t(id)].styleNo;
    return ItemStyle::Control;
}

void TRichViewEdit::selectItems(int startItem, int startOffset, int endItem, int endOffset)
{
    const auto &list = places();
    if (list.empty())
        return;
    auto positionOf = [&](int item, int offset) {
        item = std::clamp(item, 0, int(list.size()) - 1);
        const ItemPlace &place = list[size_t(item)];
        if (place.isText)
            return place.position + std::clamp(offset - 1, 0, place.length);
        return place.position + (offset <= 0 ? 0 : 1);
    };
    QTextCursor c(document());
    c.setPosition(positionOf(startItem, startOffset));
    c.setPosition(positionOf(endItem, endOffset), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

int TRichViewEdit::offsetBeforeItem(int item) const
{
    const auto &list = places();
    return (item >= 0 && size_t(item) < list.size() && list[size_t(item)].isText) ? 1 : 0;
}

int TRichViewEdit::offsetAfterItem(int item) const
{
    const auto &list = places();
    if (item < 0 || size_t(item) >= list.size())
        return 1;
    const ItemPlace &place = list[size_t(item)];
    return place.isText ? place.length + 1 : 1;
}

// ---------------------------------------------------------------------------
// Inserting

bool TRichViewEdit::insertControl(QComboBox *control, const QString &name, int vAlign)
{
    if (!control || !markerKindOf(control) || isReadOnly())
        return false;
    EmbeddedControl data;
    data.className = control->metaObject()->className();
    data.Width = control->width();
    data.Height = RVObjectHandler::MarkerHeight;
    data.Hint = control->toolTip();
    data.Style = control->isEditable() ? QByteArray("csDropDown") : QByteArray("csDropDownList");
    data.DropDownCount = control->maxVisibleItems();
    for (int i = 0; i < control->count(); ++i)
        data.Items << control->itemText(i);
    data.ItemIndex = control->currentIndex();
    data.Text = data.ItemIndex >= 0 ? control->currentText() : QString();
    const QFont f = control->font();
    const QFont editorFont = markerFont();
    if (f.family() != editorFont.family() || f.pixelSize() != editorFont.pixelSize() || f.bold() || f.italic()
        || f.underline() || f.strikeOut()) {
        ControlFont font;
        font.Name = f.family();
        font.Height = f.pixelSize() > 0 ? -f.pixelSize() : -qRound(f.pointSizeF() * 96 / 72);
        font.Style = quint8((f.bold() ? TFontInfo::fsBold : 0) | (f.italic() ? TFontInfo::fsItalic : 0)
                            | (f.underline() ? TFontInfo::fsUnderline : 0)
                            | (f.strikeOut() ? TFontInfo::fsStrikeOut : 0));
        data.Font = font;
    }
    SourceItem item = SourceItem::controlItem(std::move(data));
    item.name = CodePage::toWindows1251(name);
    item.vAlign = vAlign;
    const int id = addObject(std::move(item));
    control->hide();
    control->deleteLater();

    QTextCursor c = textCursor();
    c.insertText(QString(QChar(ObjectChar)), objectFormat(RVFormat::MarkerObject, id));
    setTextCursor(c);
    return true;
}

void TRichViewEdit::insertPicture(PicturePtr picture, int displayWidth, int displayHeight, const QString &name,
                                  int vAlign)
{
    if (!picture || isReadOnly())
        return;
    SourceItem item = SourceItem::pictureItem(std::move(picture));
    item.extras.width = std::max(0, displayWidth);
    item.extras.height = std::max(0, displayHeight);
    item.name = CodePage::toWindows1251(name);
    item.vAlign = vAlign;
    const int id = addObject(std::move(item));
    QTextCursor c = textCursor();
    c.insertText(QString(QChar(ObjectChar)), objectFormat(RVFormat::PictureObject, id));
    setTextCursor(c);
}

bool TRichViewEdit::setCurrentPictureSize(int width, int height)
{
    const int position = textCursor().position() - 1;
    const int id = objectIdAt(position, RVFormat::PictureObject);
    if (id < 0 || isReadOnly())
        return false;
    ExtraProperties &extras = m_objects[size_t(id)].extras;
    extras.width = std::max(0, width);
    extras.height = std::max(0, height);
    m_changedOutsideUndo = true;
    document()->markContentsDirty(position, 1);
    return true;
}

void TRichViewEdit::addParagraph(const QString &text, int styleNo, int paraNo)
{
    if (!m_style.isTextStyle(styleNo))
        styleNo = 0;
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    if (document()->characterCount() <= 1) {
        c.setBlockFormat(m_style.blockFormat(paraNo));
        c.setBlockCharFormat(textFormat(styleNo, 0));
    } else {
        c.insertBlock(m_style.blockFormat(paraNo), textFormat(styleNo, 0));
    }
    QString clean = text;
    clean.replace(QChar(u'\n'), QChar(u' ')).replace(QChar(u'\r'), QChar(u' '));
    c.insertText(clean, textFormat(styleNo, 0));
}

// ---------------------------------------------------------------------------
// Text styles

QString TRichViewEdit::carriedText(const QString &text, int styleNo) const
{
    const TFontInfo &style = m_style.textStyle(m_style.isTextStyle(styleNo) ? styleNo : 0);
    if (style.Unicode || text.isEmpty())
        return text;
    const int codePage = style.codePage();
    QString out;
    out.reserve(text.size());
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end > start)
            out += CodePage::toUnicode(codePage, CodePage::fromUnicode(codePage, QStringView(text).mid(start, end - start)));
    };
    // The characters that give the document its structure stay as they are.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == LineSeparator || c == 0x2029 || c == ObjectChar) {
            flush(i);
            out += text.at(i);
            start = i + 1;
        }
    }
    flush(text.size());
    return out;
}

void TRichViewEdit::setCurrentStyle(int styleNo)
{
    if (!m_style.isTextStyle(styleNo))
        styleNo = 0;
    if (styleNo == m_currentTextStyle)
        return;
    m_currentTextStyle = styleNo;
    emit currentTextStyleChanged(styleNo);
}

void TRichViewEdit::refreshCurrentStyle(const QTextCharFormat &format)
{
    if (!isObjectType(format.objectType()) && format.hasProperty(RVFormat::TextStyleNo)) {
        setCurrentStyle(format.intProperty(RVFormat::TextStyleNo));
        return;
    }
    // Beside an object (or in text without a style) typing goes on in the
    // current text style rather than taking the object's format.
    if (!textCursor().hasSelection())
        setCurrentCharFormat(textFormat(m_currentTextStyle, 0));
}

void TRichViewEdit::applyStyleConversion(int code)
{
    if (!onStyleConversion || isReadOnly())
        return;
    QTextCursor selection = textCursor();
    if (!selection.hasSelection()) {
        const int styleNo = onStyleConversion(m_currentTextStyle, code);
        if (m_style.isTextStyle(styleNo)) {
            setCurrentCharFormat(textFormat(styleNo, 0));
            setCurrentStyle(styleNo);
        }
        return;
    }
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    struct Change {
        int from;
        int to;
        int styleNo;
        int extraId;
    };
    std::vector<Change> changes;
    std::vector<std::pair<int, int>> mapping;  // old style -> new style, asked once each
    auto convert = [&](int styleNo) {
        for (const auto &[from, to] : mapping) {
            if (from == styleNo)
                return to;
        }
        int result = onStyleConversion(styleNo, code);
        if (!m_style.isTextStyle(result))
            result = styleNo;
        mapping.emplace_back(styleNo, result);
        return result;
    };
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int s = std::max(fragment.position(), start);
            const int e = std::min(fragment.position() + fragment.length(), end);
            if (s >= e)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (isObjectType(format.objectType()))
                continue;
            const int styleNo = format.intProperty(RVFormat::TextStyleNo);
            const int converted = convert(m_style.isTextStyle(styleNo) ? styleNo : 0);
            if (converted != styleNo)
                changes.push_back(Change{s, e, converted, format.intProperty(RVFormat::TextExtraId)});
        }
    }
    if (changes.empty())
        return;
    QTextCursor c(document());
    c.beginEditBlock();
    for (const Change &change : changes) {
        c.setPosition(change.from);
        c.setPosition(change.to, QTextCursor::KeepAnchor);
        c.setCharFormat(textFormat(change.styleNo, change.extraId));
    }
    c.endEditBlock();
    // The caret's text may have changed its style under it.
    QTextCursor caret = textCursor();
    QTextCursor probe(document());
    probe.setPosition(caret.position());
    const QTextCharFormat format = probe.charFormat();
    if (!isObjectType(format.objectType()) && format.hasProperty(RVFormat::TextStyleNo))
        setCurrentStyle(format.intProperty(RVFormat::TextStyleNo));
}

// ---------------------------------------------------------------------------
// Markers

int TRichViewEdit::objectIdAt(int position, int type) const
{
    if (position < 0 || position >= document()->characterCount() - 1)
        return -1;
    if (document()->characterAt(position) != QChar(ObjectChar))
        return -1;
    QTextCursor c(document());
    c.setPosition(position + 1);
    const QTextCharFormat format = c.charFormat();
    if (format.objectType() != type)
        return -1;
    const int id = format.intProperty(RVFormat::ObjectId);
    return (id >= 0 && size_t(id) < m_objects.size()) ? id : -1;
}

const EmbeddedControl *TRichViewEdit::markerAt(int position) const
{
    const int id = objectIdAt(position, RVFormat::MarkerObject);
    return id >= 0 ? m_objects[size_t(id)].control.get() : nullptr;
}

QRect TRichViewEdit::objectRect(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const QTextLayout *layout = block.layout();
    if (!layout)
        return QRect();
    const int rel = position - block.position();
    const QTextLine line = layout->lineForTextPosition(rel);
    if (!line.isValid())
        return QRect();
    QTextCursor c(document());
    c.setPosition(position + 1);
    const QSizeF size = m_handler->intrinsicSize(document(), position, c.charFormat());
    const qreal x = line.cursorToX(rel);
    const QPointF topLeft = layout->position() + QPointF(x, line.y() + line.ascent() - size.height());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    return QRectF(topLeft, size).toAlignedRect().translated(-scroll);
}

bool TRichViewEdit::openMarkerList(int position)
{
    const int id = objectIdAt(position, RVFormat::MarkerObject);
    if (id < 0)
        return false;
    const EmbeddedControl &control = *m_objects[size_t(id)].control;
    const auto kind = control.markerKind();
    if (!kind)
        return false;
    QComboBox *box = createMarkerControl(*kind, viewport());
    box->setFont(markerFont());
    box->addItems(control.Items);
    box->setCurrentIndex(control.ItemIndex);
    box->setMaxVisibleItems(std::max(1, control.DropDownCount > 0 ? control.DropDownCount : int(control.Items.size())));
    box->setToolTip(control.Hint);
    box->setGeometry(objectRect(position));
    connect(box, &QComboBox::activated, this, [this, id](int index) { setMarkerEntry(id, index); });
    box->show();
    box->showPopup();
    if (QWidget *popup = box->view()->window(); popup != box->window())
        popup->installEventFilter(new PopupWatcher(box, this));
    return true;
}

void TRichViewEdit::setMarkerEntry(int id, int index)
{
    ControlPtr &current = m_objects[size_t(id)].control;
    if (index < 0 || index >= current->Items.size() || index == current->ItemIndex)
        return;
    auto control = std::make_shared<EmbeddedControl>(*current);
    control->ItemIndex = index;
    control->Text = control->Items.at(index);
    current = std::move(control);
    m_changedOutsideUndo = true;
    viewport()->update();
    emit markerEntryChanged();
}

// ---------------------------------------------------------------------------
// Events

void TRichViewEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        // A right click only drops the selection.
        QTextCursor c = textCursor();
        if (c.hasSelection()) {
            c.clearSelection();
            setTextCursor(c);
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && !isReadOnly()) {
        const QPoint point = event->position().toPoint();
        const int p = cursorForPosition(point).position();
        for (int candidate : {p - 1, p}) {
            if (markerAt(candidate) && objectRect(candidate).contains(point)) {
                QTextCursor c(document());
                c.setPosition(candidate + 1);
                setTextCursor(c);
                openMarkerList(candidate);
                event->accept();
                return;
            }
        }
    }
    QTextEdit::mousePressEvent(event);
}

void TRichViewEdit::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

void TRichViewEdit::keyPressEvent(QKeyEvent *event)
{
    const bool openKey = (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))
        || (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier);
    if (openKey && !isReadOnly()) {
        const int p = textCursor().position();
        if (openMarkerList(p - 1) || openMarkerList(p))
            return;
    }
    // Return starts a new paragraph in the same paragraph style. Qt's own
    // handling would instead reset the style of an empty paragraph that has
    // one, and every paragraph here carries its style number.
    if (!isReadOnly() && event->matches(QKeySequence::InsertParagraphSeparator)) {
        QTextCursor c = textCursor();
        c.beginEditBlock();
        if (c.hasSelection())
            c.removeSelectedText();
        c.insertBlock(c.blockFormat(), textFormat(m_currentTextStyle, 0));
        c.endEditBlock();
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    // Typing over a selection takes the style of the selected text, never the
    // format of a marker or picture at its edge.
    const QString text = event->text();
    QTextCursor c = textCursor();
    if (!isReadOnly() && c.hasSelection() && !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTextCursor probe(document());
        probe.setPosition(c.selectionStart() + 1);
        const QTextCharFormat format = probe.charFormat();
        const int styleNo = !isObjectType(format.objectType()) && format.hasProperty(RVFormat::TextStyleNo)
            ? format.intProperty(RVFormat::TextStyleNo)
            : m_currentTextStyle;
        c.insertText(carriedText(text, styleNo), textFormat(styleNo, 0));
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    if (!isReadOnly() && !text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QString carried = carriedText(text, m_currentTextStyle);
        if (carried != text) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), carried, event->isAutoRepeat(),
                               ushort(event->count()));
            QTextEdit::keyPressEvent(&replaced);
            event->setAccepted(replaced.isAccepted());
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void TRichViewEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString carried = isReadOnly() ? commit : carriedText(commit, m_currentTextStyle);
    if (carried == commit) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent replaced(event->preeditString(), event->attributes());
    replaced.setCommitString(carried, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}
