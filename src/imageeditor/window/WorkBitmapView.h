#pragma once

// The control that shows the work bitmap ("WorkImage"): the picture of a
// PictureEditor magnified on its grid, at the work bitmap's natural size. It
// paints only the part that is exposed, straight from the picture, and
// reports the mouse in work bitmap pixels.

#include <QWidget>

class PictureEditor;

class WorkBitmapView : public QWidget {
    Q_OBJECT
public:
    // `editor` must outlive the view.
    explicit WorkBitmapView(const PictureEditor *editor, QWidget *parent = nullptr);

    // Sizes the control to the work bitmap of the current picture.
    void fitToPicture();

signals:
    void mousePressed(Qt::MouseButton button, QPoint point);
    void mouseMoved(QPoint point);
    void mouseReleased(Qt::MouseButton button, QPoint point);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const PictureEditor *m_editor;
};
