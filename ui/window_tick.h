// The main window's 250 ms tick, in this order: the manager tick, a list refresh, the
// downloads completed since the last tick, the queues that finished, the next waiting
// browser hand-over when no modal dialog is open, and every eighth tick a save of the list
// when it changed. A queue's end action may end the program inside the tick (its window is
// then destroyed, and the tick touches nothing of it after).
#pragma once

#include "ui/main_window_state.h"

namespace vonu {

inline constexpr UINT_PTR kTickTimer = 1;
inline constexpr UINT kTickMilliseconds = 250;

void WindowTick(MainWindow& w);

}  // namespace vonu
