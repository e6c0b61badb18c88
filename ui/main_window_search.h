// Finding the running program's main window from anywhere: another start of the program, the
// native messaging host and the setup program look for the window that carries
// kMainWindowProperty (the main window sets it when it is created and removes it when it
// goes). Any thread; the window itself is only found and brought forward, never touched.
#pragma once

#include <windows.h>

namespace vonu {

inline constexpr wchar_t kMainWindowProperty[] = L"VonuMainWindow";

// The first top-level window, in EnumWindows order, that carries kMainWindowProperty.
HWND FindMainWindow();

// Restores the window if minimised (else shows it) and brings it to the foreground.
void BringForward(HWND window);

}  // namespace vonu
