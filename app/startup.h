// The application's start-up and exit routines. StartUp returns true when the message loop
// should run and false when the process must exit at once (host mode, another instance is
// running, or the main window could not be made). ExitApp runs in both cases.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/runtime_scopes.h"
#include "model/unique_handle.h"

namespace vonu {

struct AppSession {
    KernelHandle instanceMutex;  // held until exit; a "/restart" instance waits for it
    ComScope com;
    OleScope ole;
    GdiplusScope gdiplus;
    HWND mainWindow = nullptr;
    HACCEL accelerators = nullptr;
};

bool StartUp(HINSTANCE instance, const wchar_t* commandLine, AppSession& session);
void ExitApp(AppSession& session);

}  // namespace vonu
