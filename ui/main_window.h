// The main window. This is the first, plain form: a frame with the menu, title and icon of
// resource 128, carrying the VonuMainWindow property by which a second instance, the
// native messaging host and the setup program find it. The Exit command (57665) closes it,
// also when posted from another process; closing stops every download and saves the list
// (also when Windows ends the session). Its timer runs the manager tick every 250 ms and
// saves the list, when it changed, every 2 seconds.
#pragma once

#include <windows.h>

namespace vonu {

// Creates the window hidden; null on failure.
HWND CreateMainWindow(HINSTANCE instance);

}  // namespace vonu
