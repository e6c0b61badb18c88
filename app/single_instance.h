// One running download manager per user session: the named mutex, and finding the running
// main window by its window property (the native messaging host and the setup program use
// the same property to reach it).
#pragma once

#include <windows.h>

#include <optional>

#include "model/unique_handle.h"

namespace vonu {

inline constexpr wchar_t kMainWindowProperty[] = L"VonuMainWindow";
inline constexpr wchar_t kSingleInstanceMutex[] = L"VonuDownloadManager.Single";

// The first top-level window, in EnumWindows order, that carries kMainWindowProperty.
HWND FindMainWindow();

// Restores the window if minimised (else shows it) and brings it to the foreground.
void BringForward(HWND window);

// Takes the single-instance mutex (kept until exit). When another instance holds it, brings
// that instance's window forward and returns nothing: the caller must exit. With
// `waitForExit` it first retries every 100 ms, 200 times (about 20 s), for an old instance
// that is ending.
std::optional<KernelHandle> AcquireSingleInstance(bool waitForExit);

}  // namespace vonu
