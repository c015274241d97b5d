#pragma once

// The rich-text editor control of the main window ("rve"): the widget that
// shows and edits the source document. What the document holds and how it
// maps onto Qt's text document is RVDocument's (richtext/); the control adds
// events, the in-place marker lists, the clipboard and painting.
//
// Markers are painted as drop-down boxes. A click on one (or Alt+Down with the
// caret beside it) opens its list in place; picking an entry changes the
// marker without an undo step but marks the document modified, since it
// changes what the sign shows.

#include "richtext/RVDocument.h"

#include <QTextEdit>

#include <functional>

class QComboBox;
class QDropEvent;
class RVObjectHandler;

class TRichViewEdit : public QTextEdit {
    Q_OBJECT
public:
    // The editor's own clipboard format: the source file bytes of the selection.
    static constexpr const char *SourceMimeType = "application/x-oravelt-source";

    explicit TRichViewEdit(QWidget *parent = nullptr);
    ~TRichViewEdit() override;

    RVStyleView &rvs() { return m_content.styles(); }
    const RVStyleView &rvs() const { return m_content.styles(); }

    // ----- the whole document
    // Items, style tables, background and layout, as a file stores them.
    // `pause`: as for RVDocument::snapshot().
    SourceDocument snapshot(const std::function<void()> &pause = {}) const;
    // Replaces everything with `document`; the undo history is emptied and
    // the document is not modified. The editor takes the document's items.
    void loadDocument(SourceDocument document);
    // Removes every item; the style tables and the background stay. Text
    // style 0 and paragraph style 0 become current.
    void clearDocument();

    bool isDocumentModified() const;
    void setDocumentModified(bool modified);

    const DocumentBackground &background() const { return m_content.background(); }
    const DocumentLayout &pageLayout() const { return m_content.layout(); }
    TColor backgroundColour() const { return m_content.background().colour; }
    void setBackgroundColour(TColor colour);

    // ----- items (numbers are 0-based, in reading order)
    int itemCount() const;
    // The item at the caret: the one just before it, or the first item of
    // the line when the caret stands at its start; -1 in an empty document.
    int currentItemNo() const;
    int currentItemStyle() const;
    // Offsets enclose an item: 1 .. length + 1 for text, 0 .. 1 for others.
    // Equal ends put the caret there with nothing selected.
    void selectItems(int startItem, int startOffset, int endItem, int endOffset);
    int offsetBeforeItem(int item) const;
    int offsetAfterItem(int item) const;

    // The insertions and the style conversion below change nothing while the
    // editor is read-only.
    //
    // Takes `control` (one of the marker classes) into the document at the
    // caret, replacing the selection, as one editing step; the caret ends
    // after it. The editor keeps what the control shows and deletes the
    // widget. False when the control is not a marker (or the editor is
    // read-only).
    bool insertControl(QComboBox *control, const QString &name = QString(), int vAlign = 0);
    // The same for a marker made by the core (makeMarker), as the marker
    // panel inserts it. False when the control is not of a marker kind.
    bool insertMarker(EmbeddedControl control, const QString &name = QString(), int vAlign = 0);
    // Inserts a picture at the caret (display size 0 = natural), one step.
    void insertPicture(PicturePtr picture, int displayWidth = 0, int displayHeight = 0,
                       const QString &name = QString(), int vAlign = 0);

    // Sets the display size of the picture just before the caret (0 =
    // natural); false when there is no picture there.
    bool setCurrentPictureSize(int width, int height);

    // The graphic of picture item `itemNo`; nullptr for any other item.
    PicturePtr itemPicture(int itemNo) const;

    // ----- points and scrolling
    // The item and offset at a point of the document (client coordinates
    // plus the scroll position); the nearest item when the point is on none.
    // False in a document without items.
    bool itemAtPoint(QPoint documentPoint, int *itemNo, int *offset) const;
    // Horizontal scroll position in pixels; vertical one in steps of
    // verticalScrollStep() pixels (a step is one pixel in this control).
    int horizontalScrollPosition() const;
    int verticalScrollPosition() const;
    int verticalScrollStep() const { return 1; }

    // ----- text styles
    int currentTextStyle() const { return m_currentTextStyle; }
    // Converts the text styles of the selected text: the conversion handler
    // is asked once per style in the selection and the text takes the style
    // it returns; one editing step. With nothing selected the current style
    // is converted instead, for the text typed next.
    void applyStyleConversion(int code);
    std::function<int(int styleNo, int code)> onStyleConversion;

    // `text` as the file and the sign will hold it in text style `styleNo`:
    // a character that the style's code page cannot carry becomes the one the
    // file would hold instead ("?"), so that what the editor shows is what is
    // saved and sent. Typed and pasted text goes through this.
    QString carriedText(const QString &text, int styleNo) const;

    // Appends a paragraph of text in the given styles at the end.
    void addParagraph(const QString &text, int styleNo, int paraNo = 0);

    // ----- markers
    // Opens the list of the marker at document position `position` in place.
    bool openMarkerList(int position);
    // The marker object at a document position, or nullptr.
    const EmbeddedControl *markerAt(int position) const;

signals:
    void currentTextStyleChanged(int styleNo);
    // The operator picked another entry in a marker of the document.
    void markerEntryChanged();

protected:
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class RVObjectHandler;

    void attachDocument(QTextDocument *document);
    // A drag the editor may take: its own, or the graphic editor's picture.
    bool acceptsDrag(const QDropEvent *event) const;
    void applyBackground();
    QRect objectRect(int position) const;
    void setMarkerEntry(int id, int index);
    void refreshCurrentStyle(const QTextCharFormat &format);
    void setCurrentStyle(int styleNo);
    SourceDocument selectionDocument() const;
    void pasteSourceDocument(SourceDocument &source);
    void pasteRichText(const QString &html);
    void pastePlainText(const QString &text);

    RVDocument m_content;
    RVObjectHandler *m_handler = nullptr;
    int m_currentTextStyle = 0;
};
