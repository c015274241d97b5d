#include "WorkBitmapView.h"

#include "imageeditor/PictureEditor.h"
#include "imageeditor/WorkBitmap.h"

#include <QMouseEvent>
#include <QPainter>

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
    fitToPicture();
}

void WorkBitmapView::fitToPicture()
{
    setFixedSize(WorkBitmap::size(m_editor->width()));
    update();
}

void WorkBitmapView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QImage part = WorkBitmap::render(m_editor->picture(), event->rect());
    if (!part.isNull())
        painter.drawImage(event->rect().topLeft(), part);
}

void WorkBitmapView::mousePressEvent(QMouseEvent *event)
{
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
