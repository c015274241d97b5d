#pragma once

// The titles of the simulator's window, by which the editor finds it: the one
// it looks for to bring the window up after Preview, and the one it closes
// when the editor itself closes. The simulator carries the closing title.

#include <QString>

namespace SimulatorTitles {

QString preview();
QString closing();

} // namespace SimulatorTitles
