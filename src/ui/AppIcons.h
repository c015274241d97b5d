#pragma once

// Icons drawn by the program itself: the two sign colours, the check and the
// application's own (a strip of red LEDs).

#include <QIcon>

namespace AppIcons {

// A letter in `text` colour on `back` (an invalid colour: the dark display).
QIcon signColour(const QColor &text, const QColor &back);
QIcon application();
// The check of the source text (command bar, menu, check window).
QIcon check();

} // namespace AppIcons
