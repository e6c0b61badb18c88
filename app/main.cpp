// Vonu.exe: the download manager, and the browsers' native messaging host.
#include <windows.h>

#include "app/startup.h"
#include "ui/modeless_dialogs.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    vonu::AppSession session;
    int exitCode = 0;
    if (vonu::StartUp(instance, GetCommandLineW(), session)) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (session.accelerators && TranslateAcceleratorW(session.mainWindow, session.accelerators, &msg))
                continue;
            if (vonu::HandleModelessDialogMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    vonu::ExitApp(session);
    return exitCode;
}
