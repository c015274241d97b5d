#pragma once

// How the output effects and clear effects move LEDs, step by step. Each
// effect is a number of steps; step i (1 to count) shows the motion i steps
// along, so an output effect's last step shows the content at rest and a
// clear effect's last step a dark sign. Steps are timed by the speed (the
// player's business); effects that move rows rather than columns take
// fewer, slower steps (Pace::Rows).
//
// These are readings of the effects' names, not the sign's firmware, which
// the system does not have. Random effects draw from a seed, so a frame can
// be drawn again the same way.

#include "LedFrame.h"

#include <QByteArrayView>

namespace SignEffects {

constexpr int OutputEffectCount = 20;  // "Случайный" is the last
constexpr int ClearEffectCount = 29;
constexpr int RandomOutput = 19;
constexpr int RandomClear = 28;

enum class Pace : quint8 { Columns, Rows };

struct Steps {
    int count = 1;
    Pace pace = Pace::Columns;
};

// The columns of the sign a content stands on: [begin, end).
struct Span {
    int begin = 0;
    int end = 0;
    bool empty() const { return end <= begin; }
};

// The effect a random entry ("Случайный") stands for in one playing of it.
int resolveOutput(int effect, quint64 seed);
int resolveClear(int effect, quint64 seed);

// Where the first column of a content of `contentWidth` columns comes to rest.
int restPosition(int effect, int contentWidth, int width);
// The columns of the sign a content at rest covers.
Span restSpan(int effect, int contentWidth, int width);

Steps outputSteps(int effect, int contentWidth, int width);
// The frame after `step` steps of an output effect that brings `content` onto
// a dark sign of out.width() columns.
void renderOutput(int effect, int step, QByteArrayView content, quint64 seed, LedFrame &out);

Steps clearSteps(int effect, Span lit, int width);
// The frame after `step` steps of a clear effect on `display`, whose content
// covers `lit`.
void renderClear(int effect, int step, const LedFrame &display, Span lit, quint64 seed, LedFrame &out);

// A content placed on a dark sign with its first column at `position`.
void place(QByteArrayView content, int position, LedFrame &out);

} // namespace SignEffects
