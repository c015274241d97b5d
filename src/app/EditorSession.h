#pragma once

// What the tool windows may ask of the main editor: its document as it
// stands, the lock that holds it still, a place in it shown to the operator,
// and the picture at the caret going out and coming in. The check window and
// the graphic editor are given one of these and never see the main window
// itself; the main window implements it.
//
// Ownership: the session outlives every window it is given to (start-up
// creates the main window first and destroys it last).
//
// Threads: the user-interface thread only.

#include "document/model/Picture.h"
#include "document/model/SourceDocument.h"

#include <functional>

class QImage;
class QWidget;

class EditorSession {
public:
    // How markItem shows its item.
    enum class Mark { SelectItem, CaretBeforeItem };

    // The editor's document, read item by item; `yield` runs now and then
    // between items, so the event loop may run while a long document is read.
    virtual SourceDocument snapshot(const std::function<void()> &yield) const = 0;

    // While locked the document cannot be changed by the operator; see
    // TForm1::setDocumentLocked.
    virtual void setDocumentLocked(bool locked) = 0;

    // Selects item `item` of the document (or puts the caret just before it)
    // and gives the editor the keyboard focus.
    virtual void markItem(int item, Mark mark) = 0;

    // Raises the editor's window and makes it the active one.
    virtual void activateEditor() = 0;

    // The bitmap picture at the caret, or nullptr when the caret stands at
    // anything else.
    virtual PicturePtr pictureAtCaret() const = 0;

    // Inserts a copy of `image` at the caret, shown at the given size, as
    // one editing step. False (and nothing changes) while the document may
    // not change.
    virtual bool insertPicture(const QImage &image, int displayWidth, int displayHeight) = 0;

    // The editor's window: the parent of the tool windows, and what they are
    // placed beside.
    virtual QWidget *editorWindow() = 0;

protected:
    ~EditorSession() = default;
};
