// Translating and mirroring windows and menus for the Arabic interface. Both do nothing
// while the Arabic-interface flag is clear. User-interface thread only.
#pragma once

#include <windows.h>

namespace vonu {

// Mirrors the window (once), translates its title and the texts of its direct "Button" and
// "Static" children, and gives those children right-to-left reading. Every dialog calls it
// while it initialises.
void LocalizeWindow(HWND window);

// Lays the window out right to left, keeping each direct child's distance from the leading
// edge. A window that is already mirrored (WS_EX_LAYOUTRTL) is left alone, so calling it
// twice, or on a window created under a right-to-left process layout, changes nothing.
void MirrorWindow(HWND window);

// Translates every item of the menu and its submenus; an accelerator text after a tab
// ("Properties\tEnter") is kept as it is.
void LocalizeMenu(HMENU menu);

}  // namespace vonu
