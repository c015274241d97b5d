#pragma once

// Icons drawn by the program itself: the two sign colours and the
// application's own (a strip of red LEDs).

#include <QIcon>

namespace AppIcons {

// A letter in `text` colour on `back` (an invalid colour: the dark display).
QIcon signColour(const QColor &text, const QColor &back);
QIcon application();

} // namespace AppIcons
