#include "PictureEditor.h"

#include "WorkBitmap.h"

PictureEditor::PictureEditor()
{
    newPicture(8);
}

bool PictureEditor::chooseColour(Qt::MouseButton button, QRgb colour)
{
    if (button == Qt::LeftButton)
        m_drawingColour = colour;
    else if (button == Qt::RightButton)
        m_backgroundColour = colour;
    else
        return false;
    return true;
}

void PictureEditor::newPicture(int width)
{
    m_picture = EditorPicture::blank(width, m_backgroundColour);
}

void PictureEditor::setPicture(const QImage &image)
{
    m_picture = EditorPicture::fromImage(image);
}

std::optional<QRect> PictureEditor::press(Qt::MouseButton button, QPoint point)
{
    m_pressed = button;
    m_drawing = true;
    return paintAt(point);
}

std::optional<QRect> PictureEditor::move(QPoint point)
{
    return paintAt(point);
}

void PictureEditor::release()
{
    m_drawing = false;
    m_pressed = Qt::NoButton;
}

std::optional<QRect> PictureEditor::paintAt(QPoint point)
{
    if (!m_drawing)
        return std::nullopt;
    QRgb colour;
    if (m_pressed == Qt::LeftButton)
        colour = m_drawingColour;
    else if (m_pressed == Qt::RightButton)
        colour = m_backgroundColour;
    else
        return std::nullopt;
    m_modified = true;
    const std::optional<QPoint> cell = WorkBitmap::cellAt(point, width());
    if (!cell)
        return std::nullopt;
    m_picture.setPixel(*cell, uint(EditorPicture::nearestIndex(colour)));
    return WorkBitmap::cellRect(*cell);
}
