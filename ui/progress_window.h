// The progress window ("Download") of one download: its figures, refreshed every 100 ms from a
// snapshot, the whole-file bar and the per-connection bar, the connection table, Pause /
// Resume, Fewer / More details and Cancel. A modeless, top-level dialog not owned by any
// window, made from the IDD_PROGRESS template of the module `instance`.
//
// Cancel stops a Queued or Downloading download and closes the window; Escape and the close
// box only close it (the download goes on); Enter does nothing. The window closes itself when
// its download is no longer in the list. User-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace vonu {

// Creates the window hidden; the caller shows it. `closed` runs once, while the window is
// being destroyed, whoever closes it. Null when the window cannot be made.
HWND CreateProgressWindow(HINSTANCE instance, int32_t downloadId, std::function<void(int32_t)> closed);

}  // namespace vonu
