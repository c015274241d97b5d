#pragma once

// Draws an LED frame as the sign looks: round red LEDs on a dark board, the
// unlit ones faint. The LEDs are small pictures made once for the pitch and
// copied row by row, so drawing costs little more than copying the image.
//
// Images are Format_Indexed8 with palette() as colour table (for GIF and
// PNG files) or Format_RGB32 (for the screen); paint() makes or reuses the
// image it is given.

#include "LedFrame.h"

#include <QImage>
#include <QList>
#include <QSize>

#include <vector>

class LedPainter {
public:
    static constexpr int MinPitch = 2;
    static constexpr int MaxPitch = 32;

    // pitch: pixels from one LED to the next, clamped to MinPitch..MaxPitch.
    explicit LedPainter(int pitch = 6);

    int pitch() const { return m_pitch; }
    // A margin of half a pitch surrounds the LEDs.
    QSize imageSize(int columns) const;
    static const QList<QRgb> &palette();

    void paint(const LedFrame &frame, QImage &image, QImage::Format format = QImage::Format_RGB32) const;

private:
    int m_pitch;
    int m_margin;
    std::vector<uchar> m_lit;    // palette indexes, pitch x pitch
    std::vector<uchar> m_unlit;
    std::vector<QRgb> m_litRgb;
    std::vector<QRgb> m_unlitRgb;
};
