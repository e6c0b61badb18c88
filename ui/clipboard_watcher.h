// The main window's clipboard watcher: every clipboard change (AddClipboardFormatListener)
// restarts a 250 ms timer, so a burst of changes is looked at once; then, when the Clipboard
// setting is on, a new copied text that offers download addresses (the link tools' rules)
// is kept as pending and WM_APP + 2 posted, whose handler opens the add-from-address flow
// for one address or the batch list dialog for several. Nothing is offered while the main
// window is disabled (a modal dialog of the program is open). User-interface thread.
#pragma once

#include <windows.h>

#include "ui/main_window_state.h"

namespace vonu {

inline constexpr UINT kClipboardLinksMessage = WM_APP + 2;
inline constexpr UINT_PTR kClipboardTimer = 2;
inline constexpr UINT kClipboardDebounceMilliseconds = 250;
// Copied texts longer than this are not looked at.
inline constexpr size_t kWatchedClipboardCap = 200000;

void StartClipboardWatch(MainWindow& w);  // WM_CREATE
void StopClipboardWatch(MainWindow& w);   // WM_DESTROY
void OnClipboardChanged(MainWindow& w);   // WM_CLIPBOARDUPDATE
void ExamineClipboard(MainWindow& w);     // the debounce timer
void OfferClipboardLinks(MainWindow& w);  // WM_APP + 2

}  // namespace vonu
