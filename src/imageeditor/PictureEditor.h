#pragma once

// What the graphic editor window edits, without the window: the picture, the
// drawing and background colours, the mouse state of painting and the
// modified flag. The window maps mouse events and palette clicks onto it and
// repaints what it reports.
//
// Painting: a press on the work bitmap remembers the button and paints at the
// pointer; moves paint while the button is held; the release ends it. The
// left button paints in the drawing colour, the right one in the background
// colour; any other button paints nothing. Every paint with the left or right
// button marks the picture modified, also at a point that holds no picture
// pixel (a grid border, outside the squares), where no pixel changes.

#include "EditorPicture.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>

class PictureEditor {
public:
    PictureEditor();

    const QImage &picture() const { return m_picture; }
    int width() const { return EditorPicture::width(m_picture); }

    QRgb drawingColour() const { return m_drawingColour; }
    QRgb backgroundColour() const { return m_backgroundColour; }
    void setDrawingColour(QRgb colour) { m_drawingColour = colour; }
    void setBackgroundColour(QRgb colour) { m_backgroundColour = colour; }
    // A press on a palette square: the left button makes its colour the
    // drawing colour, the right one the background colour; false for other
    // buttons, which change nothing.
    bool chooseColour(Qt::MouseButton button, QRgb colour);

    // A picture of `width` x 8 in the background colour.
    void newPicture(int width);
    // Replaces the picture with `image` made 4 bits and 8 rows high
    // (EditorPicture::fromImage). The modified flag is left as it is.
    void setPicture(const QImage &image);

    // Mouse on the work bitmap, in its pixels. Each returns the part of the
    // work bitmap that changed, if any.
    std::optional<QRect> press(Qt::MouseButton button, QPoint point);
    std::optional<QRect> move(QPoint point);
    void release();

    bool isDrawing() const { return m_drawing; }
    Qt::MouseButton pressedButton() const { return m_pressed; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

private:
    std::optional<QRect> paintAt(QPoint point);

    QImage m_picture;
    QRgb m_drawingColour = EditorPicture::Red;
    QRgb m_backgroundColour = EditorPicture::Black;
    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_drawing = false;
    bool m_modified = false;
};
