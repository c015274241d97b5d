#include "FramePlacement.h"

#include <QWidget>

QRect FramePlacement::beside(const QRect &main, QSize size, Side side, const std::optional<QRect> &screen)
{
    QRect place(QPoint(), size);
    switch (side) {
    case Side::Right: place.moveTopLeft(QPoint(main.right() + 1, main.top())); break;
    case Side::Below: place.moveTopLeft(QPoint(main.left(), main.bottom() + 1)); break;
    case Side::Above: place.moveBottomLeft(QPoint(main.left(), main.top() - 1)); break;
    case Side::Left: place.moveTopRight(QPoint(main.left() - 1, main.top())); break;
    case Side::Centre: place.moveCenter(main.center()); break;
    }
    if (screen) {
        if (place.right() > screen->right())
            place.moveRight(screen->right());
        if (place.bottom() > screen->bottom())
            place.moveBottom(screen->bottom());
    }
    return place;
}

bool FramePlacement::isUnplaced(const QWidget &window)
{
    return window.pos() == Unplaced;
}

QSize FramePlacement::frameExtra(const QWidget &window, const QWidget &like)
{
    const QSize own = window.frameGeometry().size() - window.size();
    if (own.width() > 0 || own.height() > 0)
        return own;
    return like.frameGeometry().size() - like.size();
}

void FramePlacement::placeFrameAt(QWidget &window, QPoint point, QPoint insideOffset)
{
    // Made first, the window is moved by its inside, which every window
    // manager puts where it is told.
    m_place = point;
    window.winId();
    window.move(point + insideOffset);
}

void FramePlacement::moved(QWidget &window)
{
    if (!m_place || window.frameGeometry() == window.geometry())
        return;
    // The frame is known now: put it where it was asked for, once.
    const QPoint place = *m_place;
    m_place.reset();
    if (window.frameGeometry().topLeft() != place)
        window.move(place);
}
