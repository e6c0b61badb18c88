// Vonu-Setup.exe: the installer wizard, or with "/uninstall" the uninstaller.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <knownfolders.h>

#include "l10n/language.h"
#include "model/data_folder.h"
#include "setup/install_folder.h"
#include "setup/setup_command_line.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"
#include "setup/uninstaller.h"
#include "setup/wizard.h"
#include "setup/carried_files.h"

namespace {

int Run(HINSTANCE instance) {
    using namespace vonu;
    // Setup runs from a download folder: never load a library from there.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    const SetupCommandLine line = ParseSetupCommandLine(GetCommandLineW());
    if (line.uninstall) return RunUninstaller(instance, line);

    SetArabicInterface(ChooseArabicInterface(L"", GetUserDefaultUILanguage()));
    WizardStart start;
    start.folder = DefaultInstallFolder();
    if (line.elevated) {
        SetArabicInterface(line.lang == L"ar");
        // The folder is checked again here: this copy starts in System32, and its command line
        // is not the wizard's own word.
        const FolderCheck check = CheckInstallFolder(line.dir, LongestInstalledName());
        if (!check.ok) {
            std::wstring text = SetupText(L"Choose a folder for Vonu.");
            if (!check.reason.empty()) text += L"\r\n\r\n" + SetupText(check.reason);
            ShowSetupMessage(nullptr, text.c_str(), MB_OK | MB_ICONINFORMATION);
            return kElevatedFolderRefused;
        }
        start.elevated = true;
        start.folder = check.folder;
        start.desktop = line.desktop == L"1";
        start.startMenu = line.startMenu == L"1";
        start.autorun = line.autorun == L"1";
    } else {
        wchar_t language[16] = {};
        const std::wstring settings = KnownFolderPath(FOLDERID_RoamingAppData) + L"\\Vonu\\settings.ini";
        GetPrivateProfileStringW(L"Main", L"Language", L"", language, 16, settings.c_str());
        if (language[0]) SetArabicInterface(std::wstring(language) == L"ar");
        if (!ChooseSetupLanguage(instance)) return 1;
    }
    return RunWizard(instance, start);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const int code = Run(instance);
    CoUninitialize();
    return code;
}
