#include "LedPainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int Levels = 7;  // of coverage at the rim of an LED
constexpr QRgb Board = 0xFF141416;
constexpr QRgb LitColour = 0xFFFF2A1E;
constexpr QRgb UnlitColour = 0xFF4A1614;
constexpr QRgb Glint = 0xFFFF9A86;

// Index 0 the board, 1 to 7 the rim of a lit LED to its full colour, 8 to
// 14 the same for an unlit one, 15 the glint at a lit LED's centre.
constexpr uchar LitIndex = 1;
constexpr uchar UnlitIndex = 1 + Levels;
constexpr uchar GlintIndex = 1 + 2 * Levels;

QRgb mix(QRgb from, QRgb to, int level)
{
    auto channel = [&](int a, int b) { return a + (b - a) * level / Levels; };
    return qRgb(channel(qRed(from), qRed(to)), channel(qGreen(from), qGreen(to)), channel(qBlue(from), qBlue(to)));
}

} // namespace

const QList<QRgb> &LedPainter::palette()
{
    static const QList<QRgb> colours = [] {
        QList<QRgb> list{Board};
        for (int level = 1; level <= Levels; ++level)
            list << mix(Board, LitColour, level);
        for (int level = 1; level <= Levels; ++level)
            list << mix(Board, UnlitColour, level);
        list << Glint;
        return list;
    }();
    return colours;
}

LedPainter::LedPainter(int pitch)
    : m_pitch(std::clamp(pitch, MinPitch, MaxPitch)), m_margin(m_pitch / 2)
{
    const int p = m_pitch;
    const double centre = p / 2.0;
    const double radius = std::max(0.75, p * 0.42);
    m_lit.assign(size_t(p * p), 0);
    m_unlit.assign(size_t(p * p), 0);
    for (int y = 0; y < p; ++y) {
        for (int x = 0; x < p; ++x) {
            // Coverage of the pixel by the disc, from 4 x 4 samples.
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double dx = x + (sx + 0.5) / 4 - centre;
                    const double dy = y + (sy + 0.5) / 4 - centre;
                    inside += dx * dx + dy * dy <= radius * radius;
                }
            const int level = (inside * Levels + 8) / 16;
            if (level == 0)
                continue;
            const double dx = x + 0.5 - centre * 0.8;
            const double dy = y + 0.5 - centre * 0.8;
            const bool glint = p >= 6 && dx * dx + dy * dy <= (radius * 0.3) * (radius * 0.3);
            m_lit[size_t(y * p + x)] = glint ? GlintIndex : uchar(LitIndex + level - 1);
            m_unlit[size_t(y * p + x)] = uchar(UnlitIndex + level - 1);
        }
    }
    const QList<QRgb> &colours = palette();
    for (uchar index : m_lit)
        m_litRgb.push_back(colours[index]);
    for (uchar index : m_unlit)
        m_unlitRgb.push_back(colours[index]);
}

QSize LedPainter::imageSize(int columns) const
{
    return QSize(columns * m_pitch + 2 * m_margin, 8 * m_pitch + 2 * m_margin);
}

void LedPainter::paint(const LedFrame &frame, QImage &image, QImage::Format format) const
{
    const QSize size = imageSize(frame.width());
    if (image.size() != size || image.format() != format) {
        image = QImage(size, format);
        if (format == QImage::Format_Indexed8)
            image.setColorTable(palette());
        image.fill(format == QImage::Format_Indexed8 ? 0u : uint(Board));
    }
    const int p = m_pitch;
    const bool indexed = format == QImage::Format_Indexed8;
    for (int x = 0; x < frame.width(); ++x) {
        const quint8 column = frame.columns[size_t(x)];
        for (int row = 0; row < 8; ++row) {
            const bool on = column & (0x80 >> row);
            const int left = m_margin + x * p;
            const int top = m_margin + row * p;
            for (int y = 0; y < p; ++y) {
                uchar *line = image.scanLine(top + y);
                if (indexed)
                    std::memcpy(line + left, (on ? m_lit : m_unlit).data() + y * p, size_t(p));
                else
                    std::memcpy(reinterpret_cast<QRgb *>(line) + left, (on ? m_litRgb : m_unlitRgb).data() + y * p,
                                size_t(p) * sizeof(QRgb));
            }
        }
    }
}
