#include "ui/main_window_search.h"

namespace vonu {

HWND FindMainWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            if (!GetPropW(w, kMainWindowProperty)) return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void BringForward(HWND window) {
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window);
}

}  // namespace vonu
