#pragma once

// One picture of the sign's 8-row LED matrix: a byte per column, left to
// right, bit 7 the top row and bit 0 the bottom row, a set bit a lit LED -
// the layout of the compiled program's picture columns, so pictures go onto
// the matrix as they are and vertical motion is a shift of bits.

#include <QtGlobal>

#include <vector>

struct LedFrame {
    std::vector<quint8> columns;

    int width() const { return int(columns.size()); }
    bool lit(int x, int row) const { return columns[size_t(x)] & (0x80 >> row); }
    void clear(int width) { columns.assign(size_t(width), 0); }

    friend bool operator==(const LedFrame &, const LedFrame &) = default;
};
