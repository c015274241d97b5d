#include "AppIcons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace AppIcons {

QIcon signColour(const QColor &text, const QColor &back)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(back.isValid() ? back : QColor(0x38, 0, 0));
    QPainter p(&pixmap);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(text);
    p.drawText(pixmap.rect(), Qt::AlignCenter, u"A"_s);
    p.setPen(QColor(Qt::gray));
    p.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

QIcon application()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0x20, 0, 0));
        p.setPen(Qt::NoPen);
        const qreal h = size * 0.5;
        p.drawRoundedRect(QRectF(0, (size - h) / 2, size, h), size / 10.0, size / 10.0);
        p.setBrush(QColor(Qt::red));
        const int cols = 8;
        const qreal cell = size / qreal(cols + 1);
        for (int c = 0; c < cols; ++c) {
            for (int r = 0; r < 3; ++r) {
                const bool lit = (c + r) % 3 != 1;
                if (!lit)
                    continue;
                p.drawEllipse(QPointF(cell * (c + 1), (size - h) / 2 + h * (r + 1) / 4.0), cell * 0.35, cell * 0.35);
            }
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon check()
{
    // A page of text with a tick over it: the same picture on the command
    // bar, in the menu and on the check window's button.
    QIcon icon;
    for (int size : {16, 32}) {
        const qreal u = size / 16.0;
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), u));
        p.setBrush(QColor(Qt::white));
        p.drawRect(QRectF(1.5 * u, 0.5 * u, 10 * u, 14 * u));
        p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), u));
        for (int line = 0; line < 4; ++line)
            p.drawLine(QPointF(3.5 * u, (3.5 + 3 * line) * u), QPointF(9.5 * u, (3.5 + 3 * line) * u));
        p.setPen(QPen(QColor(0x00, 0x90, 0x00), 2.4 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(6 * u, 9.5 * u), QPointF(9 * u, 13 * u), QPointF(14.5 * u, 4 * u)}));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace AppIcons
