#include "TImage.h"

#include "imageeditor/PictureDrag.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void TImage::updatePixels(const QRect &pixels)
{
    if (m_picture.isNull() || pixels.isEmpty())
        return;
    const double sx = double(width()) / m_picture.width();
    const double sy = double(height()) / m_picture.height();
    update(QRectF(pixels.x() * sx, pixels.y() * sy, pixels.width() * sx, pixels.height() * sy)
               .toAlignedRect()
               .adjusted(-1, -1, 1, 1));
}

QMimeData *TImage::createDragData() const
{
    if (m_picture.isNull())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(PictureDrag::MimeType), PictureDrag::encode(m_picture));
    return data;
}

void TImage::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    if (m_picture.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Only the columns of the picture that the exposed part shows: a picture
    // thousands of pixels wide then costs no more than a narrow one.
    const double sx = double(width()) / m_picture.width();
    const int first = std::max(0, int(event->rect().left() / sx));
    const int last = std::min(m_picture.width() - 1, int(event->rect().right() / sx) + 1);
    const QRect source(first, 0, last - first + 1, m_picture.height());
    const QRectF target(first * sx, 0, source.width() * sx, height());
    painter.drawImage(target, m_picture, source);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (!m_dragAutomatic || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QMimeData *data = createDragData();
    if (!data)
        return;
    event->accept();
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // The picture at the size the editor will show it, under the pointer.
    const QImage shown = m_picture.scaled(m_picture.width() * 2, m_picture.height() * 2).convertToFormat(
        QImage::Format_ARGB32);
    if (shown.width() <= 512)
        drag->setPixmap(QPixmap::fromImage(shown));
    drag->exec(Qt::CopyAction);
}
