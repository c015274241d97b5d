#pragma once

// Placing a window beside the main window by its outer frame and keeping it
// on the screen: the check window below it, the connection window, the find
// dialog and the graphic editor to its right (the graphic editor, where that
// does not fit, above or to the left), the calibration window centred on it.
//
// The check and connection windows are created at the placement mark (-100, -100), which says
// they have not been placed yet. A window not shown yet has no frame, and
// window managers frame a new window in their own time: so the inside is
// moved first, by an offset that guesses the frame (the main window's is a
// good guess), and once the frame is known (the window's moveEvent calls
// moved()) it is put where it was asked, once.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

class FramePlacement {
public:
    static constexpr QPoint Unplaced{-100, -100};

    enum class Side { Right, Below, Above, Left, Centre };
    // The outer frame of `size` on `side` of the frame `main`, touching it
    // and starting at its top (Right, Left) or its left (Below, Above); with
    // `screen`, pulled back over the screen's right and bottom edges where it
    // would reach past them.
    static QRect beside(const QRect &main, QSize size, Side side, const std::optional<QRect> &screen = {});

    static bool isUnplaced(const QWidget &window);
    // What the frame adds to the window's size: its own once it is framed,
    // otherwise taken to be like that of `like`.
    static QSize frameExtra(const QWidget &window, const QWidget &like);

    // Moves `window` so that its frame's top-left corner is at `point`.
    void placeFrameAt(QWidget &window, QPoint point, QPoint insideOffset);
    // From the window's moveEvent.
    void moved(QWidget &window);

private:
    std::optional<QPoint> m_place;  // asked for, until the frame is known
};
