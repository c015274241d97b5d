#include "TRichViewEdit.h"
#include "ui/WindowFont.h"

#include "MarkerComboBoxes.h"
#include "RVObjectHandler.h"
#include "richtext/RVFormats.h"

#include "document/model/CodePage.h"

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
// The document

void TRichViewEdit::attachDocument(QTextDocument *doc)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    layout->registerHandler(RVFormat::PictureObject, m_handler);
    layout->registerHandler(RVFormat::MarkerObject, m_handler);
    layout->registerHandler(RVFormat::OtherObject, m_handler);
    // The previous document is the editor's child: it goes now, not with
    // the editor, or every New and Open would keep one more.
    // (Qt deletes the one it made itself in setDocument.)
    QTextDocument *previous = document();
    const bool ours = previous && previous != doc && previous->parent() == this;
    setDocument(doc);
    if (ours)
        delete previous;
    // Qt does not announce that the new document has no history.
    emit undoAvailable(doc->isUndoAvailable());
    emit redoAvailable(doc->isRedoAvailable());
    emit copyAvailable(false);
}

void TRichViewEdit::applyBackground()
{
    // A colour of none lets the style table's own colour (black) show.
    const TColor colour = backgroundColour() == Colour::None ? Colour::Black : backgroundColour();
    QPalette pal = palette();
    const QColor base = RVStyleView::screenColour(colour);
    pal.setColor(QPalette::Base, base.isValid() ? base : QColor(Qt::black));
    // The caret is drawn in the text colour: keep it visible on the dark sign.
    pal.setColor(QPalette::Text, QColor(Qt::white));
    setPalette(pal);
}

void TRichViewEdit::setBackgroundColour(TColor colour)
{
    m_content.setBackgroundColour(colour);
    applyBackground();
}

void TRichViewEdit::loadDocument(SourceDocument source)
{
    attachDocument(m_content.load(std::move(source), font(), this, m_currentTextStyle));
    applyBackground();
    moveCursor(QTextCursor::Start);
    refreshCurrentStyle(textCursor().charFormat());
}

void TRichViewEdit::clearDocument()
{
    SourceDocument empty;
    empty.styles = rvs().tables();
    empty.background = background();
    empty.layout = pageLayout();
    loadDocument(std::move(empty));
    setCurrentStyle(0);
}

bool TRichViewEdit::isDocumentModified() const
{
    return m_content.isModified();
}

void TRichViewEdit::setDocumentModified(bool modified)
{
    m_content.setModified(modified);
}

SourceDocument TRichViewEdit::snapshot(const std::function<void()> &pause) const
{
    return m_content.snapshot(pause);
}

int TRichViewEdit::itemCount() const
{
    return m_content.itemCount();
}

int TRichViewEdit::currentItemNo() const
{
    return m_content.itemAt(textCursor().position());
}

int TRichViewEdit::currentItemStyle() const
{
    const int n = currentItemNo();
    return n < 0 ? 0 : m_content.itemStyle(n);
}

void TRichViewEdit::selectItems(int startItem, int startOffset, int endItem, int endOffset)
{
    if (m_content.itemCount() == 0)
        return;
    QTextCursor c(document());
    c.setPosition(m_content.positionOf(startItem, startOffset));
    c.setPosition(m_content.positionOf(endItem, endOffset), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

int TRichViewEdit::offsetBeforeItem(int item) const
{
    const auto &list = m_content.places();
    return (item >= 0 && size_t(item) < list.size() && list[size_t(item)].isText) ? 1 : 0;
}

int TRichViewEdit::offsetAfterItem(int item) const
{
    const auto &list = m_content.places();
    if (item < 0 || size_t(item) >= list.size())
        return 1;
    const RVDocument::ItemPlace &place = list[size_t(item)];
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
    control->hide();
    control->deleteLater();
    return insertMarker(std::move(data), name, vAlign);
}

bool TRichViewEdit::insertMarker(EmbeddedControl control, const QString &name, int vAlign)
{
    if (!control.markerKind() || isReadOnly())
        return false;
    SourceItem item = SourceItem::controlItem(std::move(control));
    item.name = CodePage::toWindows1251(name);
    item.vAlign = vAlign;

    QTextCursor c = textCursor();
    m_content.insertObject(c, std::move(item));
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
    QTextCursor c = textCursor();
    m_content.insertObject(c, std::move(item));
    setTextCursor(c);
}

bool TRichViewEdit::setCurrentPictureSize(int width, int height)
{
    if (isReadOnly())
        return false;
    return m_content.setPictureSize(textCursor().position() - 1, width, height);
}

PicturePtr TRichViewEdit::itemPicture(int itemNo) const
{
    return m_content.itemPicture(itemNo);
}

// ---------------------------------------------------------------------------
// Points and scrolling

bool TRichViewEdit::itemAtPoint(QPoint documentPoint, int *itemNo, int *offset) const
{
    const int position = document()->documentLayout()->hitTest(documentPoint, Qt::FuzzyHit);
    return position >= 0 && m_content.offsetAt(position, itemNo, offset);
}

int TRichViewEdit::horizontalScrollPosition() const
{
    return horizontalScrollBar()->value();
}

int TRichViewEdit::verticalScrollPosition() const
{
    return verticalScrollBar()->value() / verticalScrollStep();
}

void TRichViewEdit::addParagraph(const QString &text, int styleNo, int paraNo)
{
    m_content.addParagraph(text, styleNo, paraNo);
}

// ---------------------------------------------------------------------------
// Text styles

QString TRichViewEdit::carriedText(const QString &text, int styleNo) const
{
    const TFontInfo &style = rvs().textStyle(rvs().isTextStyle(styleNo) ? styleNo : 0);
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
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0xFFFC) {
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
    if (!rvs().isTextStyle(styleNo))
        styleNo = 0;
    if (styleNo == m_currentTextStyle)
        return;
    m_currentTextStyle = styleNo;
    emit currentTextStyleChanged(styleNo);
}

void TRichViewEdit::refreshCurrentStyle(const QTextCharFormat &format)
{
    if (const auto styleNo = RVDocument::textStyleOf(format)) {
        setCurrentStyle(*styleNo);
        return;
    }
    // Beside an object (or in text without a style) typing goes on in the
    // current text style rather than taking the object's format.
    if (!textCursor().hasSelection())
        setCurrentCharFormat(m_content.textFormat(m_currentTextStyle));
}

void TRichViewEdit::applyStyleConversion(int code)
{
    if (!onStyleConversion || isReadOnly())
        return;
    QTextCursor selection = textCursor();
    if (!selection.hasSelection()) {
        const int styleNo = onStyleConversion(m_currentTextStyle, code);
        if (rvs().isTextStyle(styleNo)) {
            setCurrentCharFormat(m_content.textFormat(styleNo));
            setCurrentStyle(styleNo);
        }
        return;
    }
    const bool changed = m_content.convertTextStyles(selection.selectionStart(), selection.selectionEnd(),
                                                     [&](int styleNo) { return onStyleConversion(styleNo, code); });
    if (!changed)
        return;
    // The caret's text may have changed its style under it.
    QTextCursor probe(document());
    probe.setPosition(textCursor().position());
    if (const auto styleNo = RVDocument::textStyleOf(probe.charFormat()))
        setCurrentStyle(*styleNo);
}

// ---------------------------------------------------------------------------
// Markers

const EmbeddedControl *TRichViewEdit::markerAt(int position) const
{
    return m_content.markerAt(position);
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
    const int id = m_content.objectIdAt(position, RVFormat::MarkerObject);
    if (id < 0)
        return false;
    const EmbeddedControl &control = *m_content.object(id)->control;
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
    if (!m_content.setMarkerEntry(id, index))
        return;
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
        c.insertBlock(c.blockFormat(), m_content.textFormat(m_currentTextStyle));
        c.endEditBlock();
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    // Alt with a letter is a menu access key, never text: one that names no
    // menu (the Latin key of a Cyrillic access key, say) types nothing.
    const QString text = event->text();
    if ((event->modifiers() & Qt::AltModifier) && !(event->modifiers() & Qt::ControlModifier) && !text.isEmpty()
        && text.at(0).isPrint()) {
        event->ignore();
        return;
    }
    // Typing over a selection takes the style of the selected text, never the
    // format of a marker or picture at its edge.
    QTextCursor c = textCursor();
    if (!isReadOnly() && c.hasSelection() && !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTextCursor probe(document());
        probe.setPosition(c.selectionStart() + 1);
        const int styleNo = RVDocument::textStyleOf(probe.charFormat()).value_or(m_currentTextStyle);
        c.insertText(carriedText(text, styleNo), m_content.textFormat(styleNo));
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
