// One running download manager per user session: the named mutex; a second start brings
// the first one's main window forward (found through ui/main_window_search.h).
#pragma once

#include <windows.h>

#include <optional>

#include "model/unique_handle.h"

namespace vonu {

inline constexpr wchar_t kSingleInstanceMutex[] = L"VonuDownloadManager.Single";

// Takes the single-instance mutex (kept until exit). When another instance holds it, brings
// that instance's window forward and returns nothing: the caller must exit. With
// `waitForExit` it first retries every 100 ms, 200 times (about 20 s), for an old instance
// that is ending.
std::optional<KernelHandle> AcquireSingleInstance(bool waitForExit);

}  // namespace vonu
