// The graphic editor command and pictures dragged from the graphic editor
// onto the editor: while the drag moves, the caret follows it by the caret
// message; the drop is the editor control's.

#include "TForm1.h"

#include "richview/TRichViewEdit.h"

#include "imageeditor/PictureDrag.h"
#include "app/pictures/TForm2.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QToolButton>

void TForm1::attachGraphicEditor(TForm2 *editor)
{
    m_graphicEditor = editor;
    gEditor->setEnabled(editor != nullptr);
    if (QAction *a = action("mitFromGraphicEditor"))
        a->setEnabled(editor != nullptr);
}

TForm2 *TForm1::graphicEditor() const
{
    return m_graphicEditor;
}

void TForm1::gEditorClick()
{
    if (!m_graphicEditor)
        return;
    // Showing it runs its own set-up: it takes the picture at the caret.
    m_graphicEditor->show();
    m_graphicEditor->raise();
    m_graphicEditor->activateWindow();
}

bool TForm1::isPictureDrag(const QDropEvent *event) const
{
    // Only the graphic editor's picture carries this type; a document that
    // may not change now (a check is running) takes nothing, so its caret
    // stays where it is.
    return event->mimeData() && event->mimeData()->hasFormat(QString::fromLatin1(PictureDrag::MimeType))
        && !rve->isReadOnly();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == CaretMessage::Type) {
        MoveCaretToPoint(static_cast<CaretMessage *>(event)->point);
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::rveDragOver(QDragMoveEvent *event)
{
    // Whether the drag is taken is the editor control's to say; the caret
    // follows later, when the message loop gets to it, so the drag itself
    // never waits for the editor.
    if (isPictureDrag(event))
        QCoreApplication::postEvent(this, new CaretMessage(event->position().toPoint()));
}

void TForm1::MoveCaretToPoint(QPoint point)
{
    const QPoint inDocument(point.x() + rve->horizontalScrollPosition(),
                            point.y() + rve->verticalScrollPosition() * rve->verticalScrollStep());
    int itemNo = -1;
    int offset = 0;
    if (!rve->itemAtPoint(inDocument, &itemNo, &offset) || itemNo < 0)
        return;
    rve->selectItems(itemNo, offset, itemNo, offset);
    rve->viewport()->update();
}
