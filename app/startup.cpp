#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <objbase.h>
#include <ole2.h>

#include "app/command_line.h"
#include "l10n/language.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "app/self_check.h"
#include "app/single_instance.h"
#include "app/version_repair.h"
#include "browser/host_manifests.h"
#include "browser/native_host.h"
#include "engine/http_request.h"
#include "engine/http_session.h"
#include "engine/speed_limiter.h"
#include "engine/transfer.h"
#include "manager/worker_entry.h"
#include "model/data_folder.h"
#include "model/download_manager.h"
#include "model/settings.h"
#include "tools/link_commands.h"
#include "tools/site_crawl.h"
#include "ui/browser_dialog.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/version.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"
#include "ui/updater_hooks.h"
#include "update/update_check.h"
#include "update/update_install.h"

namespace vonu {

bool StartUp(HINSTANCE instance, const wchar_t* commandLine, AppSession& session) {
    // Load DLLs from System32 only, never from the current or the program's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");

    const CommandLine args = ParseCommandLine(commandLine ? commandLine : L"");
    if (args.host) {
        // Browser-started: relay one request and exit, before anything else of the start.
        RunNativeHost();
        return false;
    }

    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);

    auto mutex = AcquireSingleInstance(args.restart);
    if (!mutex) return false;
    session.instanceMutex = std::move(*mutex);

    INITCOMMONCONTROLSEX controls{sizeof controls, 0xC0FF};
    InitCommonControlsEx(&controls);

    session.com.Start();
    session.ole.Start();

    RepairDisplayVersion(HKEY_CURRENT_USER, kUninstallKey, ProgramFolder());

    session.gdiplus.Start();

    DownloadManager& manager = Manager();
    LoadAllState(manager, DataFolder());
    SetLimiterRate(manager);  // the settings just loaded drive the engine
    OpenHttpSession();        // from the proxy settings just loaded
    SetRequestCloser(CloseOpenRequestsLocked);  // a stop ends blocked requests at once
    SetTransferWorker(RunTransfer);             // before anything can start a download
    SetUpdaterHooks({StartUpdateCheck, DownloadUpdateFile, SwapAndRestart, OldProgramPath});
    InstallLinkTools();

    RegisterHosts();  // every start: a moved or updated installation heals itself
    SetHostRegistration(RegisterHosts);  // "Repair connection" runs it again

    const bool arabic = ChooseArabicInterface(manager.Language, GetUserDefaultUILanguage());
    SetArabicInterface(arabic);
    if (arabic) SetProcessDefaultLayout(LAYOUT_RTL);  // before any window: mirrors them all

    const ImageCheck check = CheckExecutableImage(ProgramPath());
    if (!check.ok) {
        ShowMessageBox(nullptr, check.reason.c_str(), L"Vonu Download Manager", MB_OK | MB_ICONERROR);
        return false;
    }

    session.mainWindow = CreateMainWindow(instance);
    if (!session.mainWindow) return false;
    session.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));

    if (!(args.tray && manager.MinToTray)) {
        ShowWindow(session.mainWindow, SW_SHOW);
        UpdateWindow(session.mainWindow);
    }
    if (args.updated) ShowUpdateInstalledBalloon(session.mainWindow);  // needs the icon, made by now
    return true;
}

void ExitApp(AppSession& session) {
    EndUpdateCheck();    // its thread uses the manager and the HTTP session
    EndCrawls(Manager());  // so do the site grabber's
    CloseHttpSession();  // every download's threads have ended by now
    session.gdiplus.End();
    session.ole.End();
    session.com.End();
    // A "/restart" instance waits on the mutex itself: release it, then close it.
    if (session.instanceMutex) ReleaseMutex(session.instanceMutex.get());
    session.instanceMutex.reset();
}

}  // namespace vonu
