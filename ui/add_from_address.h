// The add-from-address flow: the one way a single address enters the list, whether the user
// typed it ("Add new download") or it came from the clipboard, a drop or a browser. An
// address the list already holds first asks what to do (add again, replace, or show /
// resume the existing download). A new download is created at once, so its probe runs while
// the New Download dialog is open; "Download Now" starts it, "Save for Later" puts it in a
// queue (asking which when there are two or more), Cancel removes it again. The list is
// refreshed at the end. User-interface thread; runs modal dialogs owned by the main window.
#pragma once

#include <string>

#include "engine/probe.h"
#include "ui/main_window_state.h"

namespace vonu {

// fromOutside: clipboard, drop or browser hand-over (false for the "Add new download"
// command); such a dialog, or any while the main window is hidden, opens in front.
void AddFromAddress(MainWindow& w, const std::wstring& address, bool fromOutside,
                    const DownloadOptions& options = {});

// "Add new download": the address dialog, then the flow with what was typed. Nothing while
// another modal dialog of the program is open (the main window is disabled then).
void AddNewDownload(MainWindow& w);

}  // namespace vonu
