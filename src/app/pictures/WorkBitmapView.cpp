#include "WorkBitmapView.h"

#include "imageeditor/PictureEditor.h"
#include "imageeditor/WorkBitmap.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>
#include <cmath>

namespace {

// Mouse positions can lie left of or above the control while the button is
// held; they are taken whole, rounded down, so -0.5 is left of the bitmap.
QPoint workPixel(const QMouseEvent *event)
{
    const QPointF p = event->position();
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

} // namespace

WorkBitmapView::WorkBitmapView(const PictureEditor *editor, QWidget *parent) : QWidget(parent), m_editor(editor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    fitToPicture();
}

void WorkBitmapView::fitToPicture()
{
    setFixedSize(WorkBitmap::size(m_editor->width()));
    moveCell(m_cell);
    update();
}

QRect WorkBitmapView::cellFrame() const
{
    // The grid lines around the square.
    return WorkBitmap::cellRect(m_cell).adjusted(-1, -1, 1, 1);
}

void WorkBitmapView::moveCell(QPoint cell)
{
    const int width = m_editor->width();
    cell.setX(std::clamp(cell.x(), 0, std::max(0, width - 1)));
    cell.setY(std::clamp(cell.y(), 0, EditorPicture::Rows - 1));
    update(cellFrame());
    m_cell = cell;
    update(cellFrame());
    // The scroll area (the parent's parent) keeps the square in sight.
    if (auto *area = parentWidget() ? qobject_cast<QScrollArea *>(parentWidget()->parentWidget()) : nullptr)
        area->ensureVisible(cellFrame().center().x(), cellFrame().center().y(), 8, 8);
}

void WorkBitmapView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect() & rect();
    const QImage part = WorkBitmap::render(m_editor->picture(), exposed);
    if (!part.isNull())
        painter.drawImage(exposed.topLeft(), part);
    if (hasFocus() && m_editor->width() > 0) {
        painter.setPen(QColor(Qt::yellow));
        painter.drawRect(cellFrame().adjusted(0, 0, -1, -1));
    }
}

void WorkBitmapView::focusInEvent(QFocusEvent *event)
{
    update(cellFrame());
    QWidget::focusInEvent(event);
}

void WorkBitmapView::focusOutEvent(QFocusEvent *event)
{
    update(cellFrame());
    QWidget::focusOutEvent(event);
}

void WorkBitmapView::keyPressEvent(QKeyEvent *event)
{
    const int last = std::max(0, m_editor->width() - 1);
    switch (event->key()) {
    case Qt::Key_Left: moveCell(m_cell - QPoint(1, 0)); break;
    case Qt::Key_Right: moveCell(m_cell + QPoint(1, 0)); break;
    case Qt::Key_Up: moveCell(m_cell - QPoint(0, 1)); break;
    case Qt::Key_Down: moveCell(m_cell + QPoint(0, 1)); break;
    case Qt::Key_Home: moveCell(QPoint(0, m_cell.y())); break;
    case Qt::Key_End: moveCell(QPoint(last, m_cell.y())); break;
    case Qt::Key_Space:
    case Qt::Key_Delete:
    case Qt::Key_Backspace: {
        if (m_editor->width() == 0)
            break;
        const Qt::MouseButton button = event->key() == Qt::Key_Space ? Qt::LeftButton : Qt::RightButton;
        const QPoint centre = WorkBitmap::cellRect(m_cell).center();
        emit mousePressed(button, centre);
        emit mouseReleased(button, centre);
        break;
    }
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void WorkBitmapView::mousePressEvent(QMouseEvent *event)
{
    if (const auto cell = WorkBitmap::cellAt(workPixel(event), m_editor->width()))
        moveCell(*cell);
    emit mousePressed(event->button(), workPixel(event));
    event->accept();
}

void WorkBitmapView::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(workPixel(event));
    event->accept();
}

void WorkBitmapView::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event->button(), workPixel(event));
    event->accept();
}
