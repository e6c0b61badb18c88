// One running download manager per user session: the named mutex; a second start brings
// the first one's main window forward (found through ui/main_window_search.h).
#pragma once

#include <windows.h>

#include <optional>

#include "model/unique_handle.h"

namespace vonu {

inline constexpr wchar_t kSingleInstanceMutex[] = L"VonuDownloadManager.Single";
// How long a "/restart" instance waits for the old one to end: stopping every download can
// take long (a remux, a read that only ends at its 30 s time-out).
inline constexpr DWORD kRestartWaitMilliseconds = 120 * 1000;

// Takes the single-instance mutex (kept until exit; ReleaseMutex it before closing, so a
// waiting instance goes on at once). When another instance holds it, brings that instance's
// window forward and returns nothing: the caller must exit. With `waitForExit` it first
// waits on the mutex itself for up to kRestartWaitMilliseconds for an old instance that is
// ending; a mutex its owner left without releasing (abandoned) is taken as well.
std::optional<KernelHandle> AcquireSingleInstance(bool waitForExit);

// The same for any mutex name and wait (waitMilliseconds is used only with waitForExit),
// without bringing any window forward.
std::optional<KernelHandle> AcquireSingleInstance(const wchar_t* name, bool waitForExit,
                                                  DWORD waitMilliseconds);

}  // namespace vonu
