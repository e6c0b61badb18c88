#include "app/single_instance.h"

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

std::optional<KernelHandle> AcquireSingleInstance(bool waitForExit) {
    constexpr int kLastAttempt = 200;
    for (int attempt = 0;; ++attempt) {
        KernelHandle mutex(CreateMutexW(nullptr, TRUE, kSingleInstanceMutex));
        if (GetLastError() != ERROR_ALREADY_EXISTS) return mutex;
        mutex.reset();
        if (!waitForExit || attempt == kLastAttempt) {
            if (HWND running = FindMainWindow()) BringForward(running);
            return std::nullopt;
        }
        Sleep(100);
    }
}

}  // namespace vonu
