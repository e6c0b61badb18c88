// The completion window ("Download complete") for a finished download: its address, where it
// was saved and its size, and Open (the default, also Enter), Open with..., Open folder and
// Close. Every button closes the window. However the window closes (a button, Escape, the
// close box), a ticked "Don't show this dialog again" switches ShowComplete off and saves
// the settings to `settingsPath`. A modeless top-level dialog not owned by any window, made
// from the IDD_COMPLETE template of `instance`; it holds only the snapshot, so it stays
// usable after the download leaves the list. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

#include "model/download_snapshot.h"

namespace vonu {

// Shows the window in the foreground with the focus on Open. Null when it cannot be made.
HWND OpenCompletionWindow(HINSTANCE instance, const DownloadSnapshot& download,
                          const std::wstring& settingsPath);

}  // namespace vonu
