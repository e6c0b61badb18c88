// The main window's progress windows: at most one per download id, each a top-level window
// not owned by the main window (it stays on screen while the main window is hidden). The map
// lives in MainWindow; a progress window removes itself from it when it closes.
// User-interface thread only.
#pragma once

#include <cstdint>

#include "ui/main_window_state.h"

namespace vonu {

// Shows the download's progress window in its normal size and brings it to the foreground,
// creating it first when none is open for that id.
void OpenProgressWindow(MainWindow& w, int32_t id);
// Closes the download's progress window if one is open.
void CloseProgressWindow(MainWindow& w, int32_t id);
// When the main window closes.
void CloseAllProgressWindows(MainWindow& w);

}  // namespace vonu
