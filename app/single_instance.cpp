#include "app/single_instance.h"

#include "ui/main_window_search.h"

namespace vonu {

std::optional<KernelHandle> AcquireSingleInstance(bool waitForExit) {
    std::optional<KernelHandle> mutex =
        AcquireSingleInstance(kSingleInstanceMutex, waitForExit, kRestartWaitMilliseconds);
    if (!mutex) {
        if (HWND running = FindMainWindow()) BringForward(running);
    }
    return mutex;
}

std::optional<KernelHandle> AcquireSingleInstance(const wchar_t* name, bool waitForExit,
                                                  DWORD waitMilliseconds) {
    KernelHandle mutex(CreateMutexW(nullptr, TRUE, name));
    // No mutex at all (the name is taken by another kind of object): run without one.
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return mutex;
    // The handle opens the existing mutex without owning it. The old instance releases it
    // at exit, or its thread ends without doing so (WAIT_ABANDONED): either way it is ours.
    if (waitForExit) {
        const DWORD waited = WaitForSingleObject(mutex.get(), waitMilliseconds);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
    }
    return std::nullopt;
}

}  // namespace vonu
