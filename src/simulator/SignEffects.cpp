#include "SignEffects.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

namespace SignEffects {

namespace {

// Output effects by their entries' meaning.
enum Output : int {
    FromLeft, FromRight, Centred, ShiftLeft, ShiftRight, ShiftDown, ShiftUp, ShiftFromCentre, ShiftToCentre,
    OpenLeft, OpenRight, OpenTop, OpenBottom, OpenDots, OpenColumns, OpenLines, AshLeft, AshRight, StretchFromCentre,
};

// Clear effects by their entries' meaning.
enum Clear : int {
    ClearBuffer, ClearAtOnce, OutLeft, OutRight, OutUp, OutDown, OutToCentre, OutFromCentre, OutToMiddleRow,
    OutFromMiddleRow, WipeFromRight, WipeFromLeft, WipeFromTop, WipeFromBottom, Dots, Columns, Lines, FallingDots,
    ScatteringDots, AshFromLeft, AshFromRight, LightningFromLeft, LightningFromRight, Negative, NegativeFromLeft,
    NegativeFromRight, MirrorHorizontal, MirrorVertical,
};

// The width of the speckled edge of the "ash" effects.
constexpr int AshBand = 8;

quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A random number for one LED of one playing of an effect.
quint64 ledRandom(quint64 seed, int x, int row)
{
    return mix(seed ^ (quint64(quint32(x)) << 3 | quint64(row)));
}

quint8 at(const LedFrame &frame, int x)
{
    return x >= 0 && x < frame.width() ? frame.columns[size_t(x)] : 0;
}

quint8 bitReversed(quint8 b)
{
    b = quint8((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = quint8((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return quint8((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// The first `count` columns of a random order of the span's columns.
std::vector<bool> randomColumns(Span span, int count, quint64 seed, int width)
{
    std::vector<int> order(size_t(std::max(0, span.end - span.begin)));
    std::iota(order.begin(), order.end(), span.begin);
    for (size_t k = order.size(); k > 1; --k)
        std::swap(order[k - 1], order[size_t(mix(seed + k) % k)]);
    std::vector<bool> chosen(size_t(width), false);
    for (size_t k = 0; k < order.size() && int(k) < count; ++k)
        chosen[size_t(order[k])] = true;
    return chosen;
}

// The rows of the first `count` of a random order of the eight rows.
quint8 randomRows(int count, quint64 seed)
{
    std::array<int, 8> order{0, 1, 2, 3, 4, 5, 6, 7};
    for (size_t k = 8; k > 1; --k)
        std::swap(order[k - 1], order[size_t(mix(seed + k) % k)]);
    quint8 mask = 0;
    for (int k = 0; k < std::min(count, 8); ++k)
        mask = quint8(mask | (0x80 >> order[size_t(k)]));
    return mask;
}

LedFrame &scratch()
{
    thread_local LedFrame frame;
    return frame;
}

int spanWidth(Span s)
{
    return std::max(0, s.end - s.begin);
}

// The order in which the LEDs of a dissolve come and go: dots in a random
// order over the span, or ash, an edge AshBand columns deep that sweeps from
// the span's left or right end.
enum class Dissolve { Dots, AshFromLeft, AshFromRight };

// Darkens the LEDs of `span` whose place in the dissolve's order is at or past
// step `step` (an output: those still to come), or before it (a clear: those
// gone already). The output effects and the clear effects walk this one
// order.
void dissolve(std::vector<quint8> &c, Span span, Dissolve order, quint64 seed, int step, bool goneBeforeStep)
{
    const int n = std::max(1, spanWidth(span));
    for (int x = span.begin; x < span.end; ++x) {
        for (int row = 0; row < 8; ++row) {
            const quint64 r = ledRandom(seed, x, row);
            const int rank = order == Dissolve::Dots          ? int(r % quint64(n))
                             : order == Dissolve::AshFromLeft ? x - span.begin + int(r % AshBand)
                                                              : span.end - 1 - x + int(r % AshBand);
            if ((rank < step) == goneBeforeStep)
                c[size_t(x)] &= quint8(~(0x80 >> row));
        }
    }
}

} // namespace

int resolveOutput(int effect, quint64 seed)
{
    if (effect == RandomOutput)
        return int(mix(seed) % RandomOutput);
    return effect >= 0 && effect < OutputEffectCount ? effect : FromLeft;
}

int resolveClear(int effect, quint64 seed)
{
    if (effect == RandomClear)
        return int(mix(seed) % RandomClear);
    return effect >= 0 && effect < ClearEffectCount ? effect : ClearAtOnce;
}

int restPosition(int effect, int contentWidth, int width)
{
    switch (effect) {
    case FromRight:
        return width - contentWidth;
    case Centred:
        return (width - contentWidth) / 2;
    case ShiftLeft:
        // Content too long for the sign runs on until its end has been shown.
        return contentWidth <= width ? 0 : width - contentWidth;
    default:
        return 0;
    }
}

Span restSpan(int effect, int contentWidth, int width)
{
    const int p = restPosition(effect, contentWidth, width);
    return {std::max(0, p), std::min(width, p + contentWidth)};
}

Steps outputSteps(int effect, int contentWidth, int width)
{
    if (contentWidth <= 0)
        return {};
    const Span span = restSpan(effect, contentWidth, width);
    const int half = width - width / 2;
    int count = 1;
    switch (effect) {
    case ShiftLeft: count = width - restPosition(effect, contentWidth, width); break;
    case ShiftRight: count = contentWidth; break;
    case ShiftDown:
    case ShiftUp:
    case OpenTop:
    case OpenBottom:
    case OpenLines:
        return {8, Pace::Rows};
    case ShiftFromCentre:
    case ShiftToCentre: count = half; break;
    case OpenLeft: count = span.end; break;
    case OpenRight: count = width - span.begin; break;
    case OpenDots:
    case OpenColumns: count = spanWidth(span); break;
    case AshLeft:
    case AshRight: count = spanWidth(span) + AshBand - 1; break;
    case StretchFromCentre: count = half; break;
    default: break;
    }
    return {std::max(1, count), Pace::Columns};
}

void place(QByteArrayView content, int position, LedFrame &out)
{
    const int width = out.width();
    std::fill(out.columns.begin(), out.columns.end(), quint8(0));
    const int first = std::max(0, position);
    const int last = std::min(width, position + int(content.size()));
    for (int x = first; x < last; ++x)
        out.columns[size_t(x)] = quint8(content[x - position]);
}

void renderOutput(int effect, int step, QByteArrayView content, quint64 seed, LedFrame &out)
{
    const int width = out.width();
    const int contentWidth = int(content.size());
    const int rest = restPosition(effect, contentWidth, width);
    const Span span = restSpan(effect, contentWidth, width);
    const int i = step;
    auto &c = out.columns;

    switch (effect) {
    case ShiftLeft:
        place(content, width - i, out);
        return;
    case ShiftRight:
        place(content, i - contentWidth, out);
        return;
    default:
        break;
    }

    place(content, rest, out);
    switch (effect) {
    case ShiftDown:
        for (quint8 &col : c)
            col = quint8(col << (8 - std::min(i, 8)));
        return;
    case ShiftUp:
        for (quint8 &col : c)
            col = quint8(col >> (8 - std::min(i, 8)));
        return;
    case ShiftFromCentre:
    case ShiftToCentre: {
        LedFrame &full = scratch();
        full.columns = c;
        const int centre = width / 2;
        const int left = std::min(i, centre);
        const int right = std::min(i, width - centre);
        for (int x = 0; x < width; ++x) {
            int from = -1;
            if (effect == ShiftFromCentre)
                from = x < centre ? (x >= centre - left ? x - centre + left : -1)
                                  : (x < centre + right ? width - right + x - centre : -1);
            else
                from = x < centre ? (x < left ? centre - left + x : -1)
                                  : (x >= width - right ? centre + x - (width - right) : -1);
            c[size_t(x)] = at(full, from);
        }
        return;
    }
    case OpenLeft:
        for (int x = i; x < width; ++x)
            c[size_t(x)] = 0;
        return;
    case OpenRight:
        for (int x = 0; x < width - i; ++x)
            c[size_t(x)] = 0;
        return;
    case OpenTop:
    case OpenBottom: {
        const int rows = std::min(i, 8);
        const quint8 keep = effect == OpenTop ? quint8(0xFF << (8 - rows)) : quint8((1 << rows) - 1);
        for (quint8 &col : c)
            col &= keep;
        return;
    }
    case OpenDots:
    case AshLeft:
    case AshRight:
        dissolve(c, span,
                 effect == OpenDots ? Dissolve::Dots : effect == AshLeft ? Dissolve::AshFromLeft : Dissolve::AshFromRight,
                 seed, i, false);
        return;
    case OpenColumns: {
        const std::vector<bool> shown = randomColumns(span, i, seed, width);
        for (int x = 0; x < width; ++x)
            if (!shown[size_t(x)])
                c[size_t(x)] = 0;
        return;
    }
    case OpenLines: {
        const quint8 keep = randomRows(i, seed);
        for (quint8 &col : c)
            col &= keep;
        return;
    }
    case StretchFromCentre: {
        LedFrame &full = scratch();
        full.columns = c;
        const int shown = std::min(width, 2 * i);
        const int first = (width - shown) / 2;
        std::fill(c.begin(), c.end(), quint8(0));
        for (int x = first; x < first + shown; ++x)
            c[size_t(x)] = full.columns[size_t((qint64(x - first) * width) / shown)];
        return;
    }
    default:
        return;  // shown at once
    }
}

Steps clearSteps(int effect, Span lit, int width)
{
    const int a = lit.begin;
    const int b = lit.end;
    const int centre = width / 2;
    int count = 1;
    switch (effect) {
    case OutLeft:
    case WipeFromLeft: count = b; break;
    case OutRight:
    case WipeFromRight: count = width - a; break;
    case OutUp:
    case OutDown:
    case WipeFromTop:
    case WipeFromBottom:
    case Lines:
    case Negative:
    case MirrorHorizontal:
    case MirrorVertical:
        return {8, Pace::Rows};
    case OutToMiddleRow:
    case OutFromMiddleRow:
        return {4, Pace::Rows};
    case FallingDots:
        return {16, Pace::Rows};
    case ScatteringDots:
        return {12, Pace::Rows};
    case OutToCentre:
        if (!lit.empty())
            count = std::max(a < centre ? centre - a : 0, b > centre ? b - centre : 0);
        break;
    case OutFromCentre:
        if (!lit.empty())
            count = std::max(a < centre ? std::min(centre, b) : 0, b > centre ? width - std::max(centre, a) : 0);
        break;
    case Dots:
    case Columns: count = spanWidth(lit); break;
    case AshFromLeft:
    case AshFromRight: count = spanWidth(lit) + AshBand - 1; break;
    case LightningFromLeft:
    case LightningFromRight: count = spanWidth(lit) + 1; break;
    case NegativeFromLeft:
    case NegativeFromRight: count = width + 1; break;
    default: break;
    }
    return {std::max(1, count), Pace::Columns};
}

void renderClear(int effect, int step, const LedFrame &display, Span lit, quint64 seed, LedFrame &out)
{
    const int width = display.width();
    const int i = step;
    const int last = clearSteps(effect, lit, width).count;
    out.columns.assign(size_t(width), 0);
    auto &c = out.columns;
    const auto &d = display.columns;
    const int centre = width / 2;

    switch (effect) {
    case OutLeft:
    case OutRight:
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = at(display, effect == OutLeft ? x + i : x - i);
        return;
    case OutUp:
    case OutDown:
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = quint8(effect == OutUp ? d[size_t(x)] << i : d[size_t(x)] >> i);
        return;
    case OutToCentre:
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = x < centre ? at(display, x - i) : at(display, x + i);
        return;
    case OutFromCentre:
        for (int x = 0; x < width; ++x) {
            const int from = x < centre ? x + i : x - i;
            c[size_t(x)] = (x < centre ? from < centre : from >= centre) ? at(display, from) : 0;
        }
        return;
    case OutToMiddleRow:
    case OutFromMiddleRow:
        for (int x = 0; x < width; ++x) {
            const int top = d[size_t(x)] & 0xF0;
            const int bottom = d[size_t(x)] & 0x0F;
            c[size_t(x)] = effect == OutToMiddleRow ? quint8(((top >> i) & 0xF0) | ((bottom << i) & 0x0F))
                                                    : quint8(((top << i) & 0xF0) | (bottom >> i));
        }
        return;
    case WipeFromRight:
    case WipeFromLeft:
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = (effect == WipeFromLeft ? x < i : x >= width - i) ? 0 : d[size_t(x)];
        return;
    case WipeFromTop:
    case WipeFromBottom: {
        const quint8 keep = effect == WipeFromTop ? quint8(0xFF >> i) : quint8(0xFF << i);
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = d[size_t(x)] & keep;
        return;
    }
    case Dots:
    case AshFromLeft:
    case AshFromRight:
        c = d;
        dissolve(c, lit,
                 effect == Dots ? Dissolve::Dots : effect == AshFromLeft ? Dissolve::AshFromLeft : Dissolve::AshFromRight,
                 seed, i, true);
        return;
    case Columns: {
        const std::vector<bool> gone = randomColumns(lit, i, seed, width);
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = gone[size_t(x)] ? 0 : d[size_t(x)];
        return;
    }
    case Lines: {
        const quint8 keep = quint8(~randomRows(i, seed));
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = d[size_t(x)] & keep;
        return;
    }
    case FallingDots:
    case ScatteringDots:
        for (int x = lit.begin; x < lit.end; ++x) {
            for (int row = 0; row < 8; ++row) {
                if (!display.lit(x, row))
                    continue;
                const quint64 r = ledRandom(seed, x, row);
                const int start = int(r % (effect == FallingDots ? 8 : 4));
                const int moved = std::max(0, i - start);
                const int dx = effect == FallingDots ? 0 : int((r >> 8) % 3) - 1;
                const int dy = effect == FallingDots || ((r >> 16) & 1) ? 1 : -1;
                const int nx = x + dx * moved;
                const int ny = row + dy * moved;
                if (nx >= 0 && nx < width && ny >= 0 && ny < 8)
                    c[size_t(nx)] |= quint8(0x80 >> ny);
            }
        }
        return;
    case LightningFromLeft:
    case LightningFromRight: {
        const int bar = effect == LightningFromLeft ? lit.begin + i - 1 : lit.end - i;
        for (int x = 0; x < width; ++x) {
            const bool behind = effect == LightningFromLeft ? x < bar : x > bar;
            c[size_t(x)] = behind ? 0 : d[size_t(x)];
        }
        if (bar >= lit.begin && bar < lit.end)
            c[size_t(bar)] = 0xFF;
        return;
    }
    case Negative:
    case MirrorHorizontal:
    case MirrorVertical:
        if (i >= last)
            return;
        for (int x = 0; x < width; ++x)
            c[size_t(x)] = effect == Negative           ? quint8(~d[size_t(x)])
                           : effect == MirrorHorizontal ? d[size_t(width - 1 - x)]
                                                        : bitReversed(d[size_t(x)]);
        return;
    case NegativeFromLeft:
    case NegativeFromRight:
        if (i >= last)
            return;
        for (int x = 0; x < width; ++x) {
            const bool turned = effect == NegativeFromLeft ? x < i : x >= width - i;
            c[size_t(x)] = turned ? quint8(~d[size_t(x)]) : d[size_t(x)];
        }
        return;
    default:
        return;  // dark at once
    }
}

} // namespace SignEffects
