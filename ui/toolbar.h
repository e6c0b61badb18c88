// The main window's command bar: a custom-drawn strip of large line icons over short
// captions, with a rounded highlight under the mouse and greyed buttons for commands that
// are not available. A click on an enabled button sends its command to the parent as
// WM_COMMAND, exactly like the menu item. In a right-to-left window the buttons run from
// the right edge. User-interface thread.
#pragma once

#include <windows.h>

namespace vonu {

HWND CreateToolbar(HWND parent, HINSTANCE instance, HFONT captionFont);
// `caption` is English; the toolbar shows its translation.
void AddToolbarButton(HWND toolbar, int command, const wchar_t* caption, int iconCode);
void AddToolbarSeparator(HWND toolbar);
// Repaints the button only when its state changes.
void SetToolbarButtonEnabled(HWND toolbar, int command, bool enabled);
bool ToolbarButtonEnabled(HWND toolbar, int command);

}  // namespace vonu
