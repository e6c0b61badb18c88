#include "app/single_instance.h"

#include "ui/main_window_search.h"

namespace vonu {

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
