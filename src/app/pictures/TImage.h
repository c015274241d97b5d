#pragma once

// A picture control: shows a picture stretched over the control, pixels as
// sharp squares. With drag mode automatic, a left press starts a drag of the
// picture (PictureDrag's MIME type, the picture as a bitmap file), which
// the main editor accepts as a drop; the picture itself is not changed by it.

#include <QImage>
#include <QWidget>

class QMimeData;

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    // Repaints the part of the control that shows `pixels` of the picture.
    void updatePixels(const QRect &pixels);

    void setDragAutomatic(bool automatic) { m_dragAutomatic = automatic; }
    bool dragAutomatic() const { return m_dragAutomatic; }

    // What a drag of the control carries; nullptr for the empty picture.
    QMimeData *createDragData() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    bool m_dragAutomatic = false;
};
