#include "setup/close_running.h"

#include "model/unique_handle.h"
#include "setup/setup_ui.h"

namespace vonu {
namespace {

constexpr wchar_t kMainWindowProperty[] = L"VonuMainWindow";

BOOL CALLBACK FindFirst(HWND window, LPARAM found) {
    if (!GetPropW(window, kMainWindowProperty)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND FindVonuWindow() {
    HWND found = nullptr;
    EnumWindows(FindFirst, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool CloseRunning(HWND owner, bool ask, DWORD waitMs) {
    HWND window = FindVonuWindow();
    if (!window) return true;
    if (ask && ShowSetupMessage(owner, L"Vonu is running. Setup will close it to continue.", MB_OKCANCEL) != IDOK)
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    const ULONGLONG end = GetTickCount64() + waitMs;
    for (;;) {
        // Once the process is gone, any Vonu still shown is another one (a browser's host may
        // have started it meanwhile): not closed.
        if (process ? WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0 : !FindVonuWindow())
            return !FindVonuWindow();
        if (GetTickCount64() >= end) return false;
        if (!process) Sleep(100);
    }
}

}  // namespace vonu
