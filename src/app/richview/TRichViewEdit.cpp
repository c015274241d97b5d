#include "TRichViewEdit.h"
#include "app/WindowFont.h"

#include "app/MarkerComboBoxes.h"
#include "RVObjectHandler.h"
#include "richtext/RVFormats.h"

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

SourceDocument TRichViewEdit::snapshot() const
{
    return m_content.snapshot();
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

// ---------------------------------------------------------------------------
// Inserting

bool TRichViewEdit::insertControl(QComboBox *control, const QString &name, int vAlign)
{
    if (!control || !markerKindOf(control))
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
    control->hide();
    control->deleteLater();

    QTextCursor c = textCursor();
    m_content.insertObject(c, std::move(item));
    setTextCursor(c);
    return true;
}

void TRichViewEdit::insertPicture(PicturePtr picture, int displayWidth, int displayHeight, const QString &name,
                                  int vAlign)
{
    if (!picture)
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
    return m_content.setPictureSize(textCursor().position() - 1, width, height);
}

void TRichViewEdit::addParagraph(const QString &text, int styleNo, int paraNo)
{
    m_content.addParagraph(text, styleNo, paraNo);
}

// ---------------------------------------------------------------------------
// Text styles

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
    if (!onStyleConversion)
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
    // Typing over a selection takes the style of the selected text, never the
    // format of a marker or picture at its edge.
    const QString text = event->text();
    QTextCursor c = textCursor();
    if (!isReadOnly() && c.hasSelection() && !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTextCursor probe(document());
        probe.setPosition(c.selectionStart() + 1);
        const int styleNo = RVDocument::textStyleOf(probe.charFormat()).value_or(m_currentTextStyle);
        c.insertText(text, m_content.textFormat(styleNo));
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    QTextEdit::keyPressEvent(event);
}
