#pragma once

// The drawn LED matrix of the simulator's window: a frame of the player on a
// dark board, its LEDs as large as the width allows, or a text on the board
// when there is nothing to play.

#include "simulator/LedFrame.h"
#include "simulator/LedPainter.h"

#include <QImage>
#include <QString>
#include <QWidget>

class LedMatrixView : public QWidget {
    Q_OBJECT
public:
    explicit LedMatrixView(QWidget *parent = nullptr);

    void setColumns(int columns);
    void setFrame(const LedFrame &frame);
    // A text shown instead of the LEDs; empty to show them again.
    void setMessage(const QString &message);
    QString message() const { return m_message; }
    int pitch() const { return m_painter.pitch(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void choosePitch();

    int m_columns = 96;
    LedFrame m_frame;
    LedPainter m_painter;
    QImage m_image;
    bool m_stale = true;
    QString m_message;
};
