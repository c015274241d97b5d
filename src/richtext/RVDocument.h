#pragma once

// The source document as the editor's QTextDocument carries it (RVFormats.h
// says how items map onto blocks, fragments and objects), and the way back:
// loading a SourceDocument into a QTextDocument, and collecting the items of
// the QTextDocument, or of a part of it, into a SourceDocument again.
//
// Besides the QTextDocument an RVDocument keeps what a QTextFormat cannot
// hold: the style tables, the background and layout, the object table (the
// pictures, markers and other embedded items, addressed by the id kept in
// their character format) and the tags, hints and checkpoints of text items.
// Entries of the object table are never removed while the document lives, so
// an undone deletion finds its object again; loading empties the table.
//
// Ownership: load() creates the QTextDocument with the given parent, which
// owns it; the RVDocument maps the last document it loaded and never deletes
// one. Objects are copied into the table (or moved, where the caller says).
// Errors: none are raised. Style and paragraph numbers outside the tables
// are read as 0, and object ids outside the table are no items.
// Threads: the thread of the QTextDocument, as for any QTextDocument.
// Needs QtGui only: no widget is involved, so it is usable and testable
// without a window.

#include "RVStyleView.h"

#include "document/model/SourceDocument.h"

#include <QMetaObject>
#include <QTextCharFormat>

#include <functional>
#include <optional>
#include <vector>

class QFont;
class QObject;
class QTextCursor;
class QTextDocument;

class RVDocument {
public:
    // Where an item stands in the QTextDocument.
    struct ItemPlace {
        int position;  // document position of the item's first character
        int length;    // characters (0 for an empty text item)
        bool isText;
    };

    RVDocument();
    ~RVDocument();
    RVDocument(const RVDocument &) = delete;
    RVDocument &operator=(const RVDocument &) = delete;

    RVStyleView &styles() { return m_style; }
    const RVStyleView &styles() const { return m_style; }
    const DocumentBackground &background() const { return m_background; }
    const DocumentLayout &layout() const { return m_layout; }
    void setBackgroundColour(TColor colour) { m_background.colour = colour; }

    // ----- the whole document
    // A new QTextDocument holding `source`, owned by `parent` (the caller
    // when null), with `font` as its default font. The tables, background
    // and layout become the source's, the object table takes the source's
    // objects. The new document is not modified and has no undo history.
    // `currentStyle` as for insertItems().
    QTextDocument *load(SourceDocument source, const QFont &font, QObject *parent, int currentStyle = 0);
    // The document last loaded; null before the first load.
    QTextDocument *document() const { return m_document; }

    // Items, style tables, background and layout, as a file stores them.
    // `pause`, when given, runs between paragraphs every few thousand items
    // (a long document's walk lets the event loop run there); the document
    // must not change while it runs.
    SourceDocument snapshot(const std::function<void()> &pause = {}) const;
    // The same for the items between two document positions (a selection):
    // text items are cut at the ends.
    SourceDocument extract(int from, int to) const;

    // Modified: the QTextDocument's own flag, or a change made outside its
    // undo history (a marker's entry, a picture's display size), or an undo
    // or redo, also one back to the saved state.
    bool isModified() const;
    void setModified(bool modified);

    // ----- items (numbers are 0-based, in reading order)
    const std::vector<ItemPlace> &places() const;
    int itemCount() const { return int(places().size()); }
    // The item at a caret position: the one just before it, or the first
    // item of the line when the caret stands at its start; -1 when empty.
    int itemAt(int caret) const;
    // The style number of an item: its text style, or its kind for others.
    int itemStyle(int itemNo) const;
    // The document position of an offset in an item, as selectItems() takes
    // it: 1 .. length + 1 for text, 0 .. 1 for others.
    int positionOf(int itemNo, int offset) const;
    // The other way: the item and offset of a document position, the item
    // that holds it or ends at it (a paragraph end belongs to no item: a
    // position there is the end of the item before it). False when empty.
    bool offsetAt(int position, int *itemNo, int *offset) const;
    // The graphic of a picture item; null for any other item.
    PicturePtr itemPicture(int itemNo) const;

    // ----- building
    // The character format of text in a text style, with the id of its
    // tag, hint or checkpoint (0 for none).
    QTextCharFormat textFormat(int styleNo, int extraId = 0) const;
    // Inserts the items of `source` at the cursor. Style and paragraph
    // numbers go through the maps where they reach (an empty map leaves them
    // as they are); `fillFirstBlock` gives the cursor's block the first
    // item's paragraph. With `takeObjects` the pictures and controls are
    // moved out of `source` instead of copied. A paragraph that an object
    // starts takes the style of the text before it, `currentStyle` until
    // there is some.
    void insertItems(QTextCursor &cursor, SourceDocument &source, const std::vector<int> &styleMap,
                     const std::vector<int> &paraMap, bool fillFirstBlock, bool takeObjects, int currentStyle);
    // Inserts a picture, control or other embedded item at the cursor.
    void insertObject(QTextCursor &cursor, SourceItem item);
    // Appends a paragraph of text in the given styles at the end.
    void addParagraph(const QString &text, int styleNo, int paraNo = 0);
    // Gives the text between two positions the style `convert` returns for
    // its own (asked once per style); objects keep theirs. One edit block;
    // false when nothing changed.
    bool convertTextStyles(int from, int to, const std::function<int(int styleNo)> &convert);

    // ----- objects
    // The object of an id, or null.
    const SourceItem *object(int id) const;
    // The id of the object of `type` (RVFormat::ObjectType) at a position,
    // or -1.
    int objectIdAt(int position, int type) const;
    const EmbeddedControl *markerAt(int position) const;
    // Sets the display size of the picture at `position` (0 = natural);
    // false when there is none.
    bool setPictureSize(int position, int width, int height);
    // Selects entry `index` of the marker `id`; false when it is out of
    // range or already selected. The marker gets a new control, so that
    // snapshots taken before keep what they held.
    bool setMarkerEntry(int id, int index);

    // The text style of a text format; nothing for an object's format or
    // one without a style.
    static std::optional<int> textStyleOf(const QTextCharFormat &format);

private:
    struct TextExtras {
        std::optional<QByteArray> tag;
        QByteArray hint;
        std::optional<Checkpoint> checkpoint;
    };

    SourceDocument emptyWithTables() const;
    // Walks the document once; fills whichever of the two lists is given.
    void collectItems(std::vector<SourceItem> *items, std::vector<ItemPlace> *places, int from = 0,
                      int to = -1, const std::function<void()> &pause = {}) const;
    int addObject(SourceItem item);

    RVStyleView m_style;
    std::vector<SourceItem> m_objects;
    std::vector<TextExtras> m_textExtras;
    DocumentBackground m_background;
    DocumentLayout m_layout;
    QTextDocument *m_document = nullptr;
    QMetaObject::Connection m_watch;
    QMetaObject::Connection m_watchModification;
    bool m_changedOutsideUndo = false;
    bool m_clearingModified = false;
    mutable std::vector<ItemPlace> m_places;
    mutable bool m_placesValid = false;
    mutable size_t m_lastItemCount = 0;
};
