#include "LedMatrixView.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace {

constexpr int LargestPitch = 16;
constexpr int PreferredPitch = 10;
constexpr QRgb Board = 0xFF141416;

} // namespace

LedMatrixView::LedMatrixView(QWidget *parent) : QWidget(parent), m_painter(PreferredPitch)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_frame.clear(m_columns);
}

void LedMatrixView::setColumns(int columns)
{
    if (columns == m_columns)
        return;
    m_columns = columns;
    m_frame.clear(columns);
    choosePitch();
    updateGeometry();
    update();
}

void LedMatrixView::setFrame(const LedFrame &frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    m_stale = true;
    update();
}

void LedMatrixView::setMessage(const QString &message)
{
    if (message == m_message)
        return;
    m_message = message;
    updateGeometry();
    update();
}

QSize LedMatrixView::sizeHint() const
{
    const QSize leds = LedPainter(PreferredPitch).imageSize(std::min(m_columns, 120));
    return QSize(leds.width(), std::max(leds.height(), m_message.isEmpty() ? 0 : 110));
}

QSize LedMatrixView::minimumSizeHint() const
{
    const QSize leds = LedPainter(LedPainter::MinPitch).imageSize(m_columns);
    return QSize(leds.width(), m_message.isEmpty() ? leds.height() : 110);
}

void LedMatrixView::choosePitch()
{
    const int fitting = (width() - 2) / (m_columns + 1);
    const int pitch = std::clamp(fitting, LedPainter::MinPitch, LargestPitch);
    if (pitch != m_painter.pitch()) {
        m_painter = LedPainter(pitch);
        m_image = QImage();
        m_stale = true;
    }
    // The height follows the LEDs' size.
    setFixedHeight(std::max(m_painter.imageSize(m_columns).height(), m_message.isEmpty() ? 0 : 110));
}

void LedMatrixView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    choosePitch();
}

void LedMatrixView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(Board));
    if (!m_message.isEmpty()) {
        painter.setPen(QColor(255, 120, 100));
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.15);
        painter.setFont(font);
        painter.drawText(rect().adjusted(16, 8, -16, -8), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    if (m_stale || m_image.isNull()) {
        m_painter.paint(m_frame, m_image);
        m_stale = false;
    }
    const int x = std::max(0, (width() - m_image.width()) / 2);
    const int y = std::max(0, (height() - m_image.height()) / 2);
    painter.drawImage(x, y, m_image);
}
