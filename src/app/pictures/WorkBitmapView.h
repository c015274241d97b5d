#pragma once

// The control that shows the work bitmap ("WorkImage"): the picture of a
// PictureEditor magnified on its grid, at the work bitmap's natural size. It
// paints only the part that is exposed, straight from the picture, and
// reports the mouse in work bitmap pixels.
//
// The keyboard draws too: with the focus here, the arrow keys (Home, End)
// move a marked square, Space paints it as a left click would and Delete or
// Backspace as a right click would; both are reported as a press and a
// release at the square's centre, so they take the mouse's own path.

#include <QWidget>

class PictureEditor;

class WorkBitmapView : public QWidget {
    Q_OBJECT
public:
    // `editor` must outlive the view.
    explicit WorkBitmapView(const PictureEditor *editor, QWidget *parent = nullptr);

    // Sizes the control to the work bitmap of the current picture.
    void fitToPicture();

    // The square the keyboard works on (column, row).
    QPoint keyboardCell() const { return m_cell; }

signals:
    void mousePressed(Qt::MouseButton button, QPoint point);
    void mouseMoved(QPoint point);
    void mouseReleased(Qt::MouseButton button, QPoint point);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void moveCell(QPoint cell);
    QRect cellFrame() const;

    const PictureEditor *m_editor;
    QPoint m_cell;
};
