// Edit boxes that hold addresses and paths read left to right even in a mirrored (Arabic)
// dialog: a right-to-left edit would put the scheme or drive at the far end.
#pragma once

#include <windows.h>

namespace vonu {

// Takes the right-to-left layout, reading order and alignment off the edit box again.
inline void KeepLeftToRight(HWND edit) {
    if (!edit) return;
    const LONG_PTR ex = GetWindowLongPtrW(edit, GWL_EXSTYLE);
    const LONG_PTR rtl = WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
    if (!(ex & rtl)) return;
    SetWindowLongPtrW(edit, GWL_EXSTYLE, ex & ~rtl);
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(edit, nullptr, TRUE);
}

}  // namespace vonu
