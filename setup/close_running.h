// Closing a running Vonu before its files are replaced or removed: the main window is the
// first top-level window with the property "VonuMainWindow"; it is posted the Exit command
// (the same as the user's Tasks > Exit) and given 20 seconds to end.
//
// UI thread of the wizard or the uninstaller; it blocks while it waits (no window of its
// own is repainted meanwhile, as with any modal wait).
#pragma once

#include <windows.h>

namespace vonu {

inline constexpr UINT kExitCommand = 57665;  // the main program's Exit command
inline constexpr DWORD kCloseWaitMs = 20000;

HWND FindVonuWindow();

// True when no Vonu runs afterwards. With `ask`, the user is told first ("Vonu is running.
// Setup will close it to continue.", OK and Cancel); anything but OK leaves it running and
// answers false. The program counts as ended when its process ended or, where the process
// cannot be opened, when no window with the property is left.
bool CloseRunning(HWND owner, bool ask, DWORD waitMs = kCloseWaitMs);

}  // namespace vonu
