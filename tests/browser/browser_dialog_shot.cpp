// Test tool: starts the real Vonu.exe on the test desktop in English or Arabic and opens the
// Browser integration dialog (Chrome and Edge registered under App Paths, as stand-ins), then
// the message box of "Repair connection", holding each on screen until told to go on, so
// browser_dialog_screenshot.sh can take their pictures.
//
//   browser_dialog_shot.exe en|ar FOLDER
// For each step (dialog, repair) writes FOLDER\STEP.ready when it is up and waits for
// FOLDER\STEP.done (at most 60 s). Exits 0 when the dialog came up in the language's
// direction, 1 otherwise (the reason on stderr).
#include <windows.h>

#include <cstdio>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "ui/resource.h"

using namespace vonu;
using namespace vonu::test;

namespace {

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

bool Hold(const std::wstring& folder, const wchar_t* step) {
    Sleep(700);  // Wine's painting
    const std::wstring base = folder + L"\\" + step;
    WriteBytes(base + L".ready", "");
    return WaitUntil(60000, [&] { return FileExists(base + L".done"); });
}

bool Run(DWORD pid, HWND window, bool arabic, const std::wstring& folder) {
    PostMessageW(window, WM_COMMAND, ID_DOWNLOADS_BROWSER, 0);
    HWND dialog = WaitForProcessDialog(pid, Translate(L"Browser integration"));
    if (!dialog) {
        std::fprintf(stderr, "the dialog did not open\n");
        return false;
    }
    const bool rtl = (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    if (rtl != arabic) {
        std::fprintf(stderr, "the dialog has the wrong direction\n");
        return false;
    }
    Hold(folder, L"dialog");
    ClickItem(dialog, IDC_BI_REPAIR);
    HWND box = WaitForTopWindow(pid, L"#32770", Translate(L"Browser integration"), 10000);
    for (int i = 0; i < 50 && box == dialog; ++i) {
        Sleep(100);  // the message box is the other window of that title
        for (HWND w : TopWindows(pid, L"#32770", Translate(L"Browser integration")))
            if (w != dialog) box = w;
    }
    Hold(folder, L"repair");
    if (box && box != dialog) PostMessageW(box, WM_COMMAND, IDOK, 0);
    Sleep(500);
    ClickItem(dialog, IDCANCEL);
    WaitDialogGone(dialog);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: browser_dialog_shot.exe en|ar FOLDER\n");
        return 2;
    }
    const bool arabic = std::wstring(argv[1]) == L"ar";
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu runs in this prefix\n");
        return 1;
    }
    SetArabicInterface(arabic);
    TempFolder browsers;
    const std::wstring exe = VonuExePath();
    const std::wstring standIn = exe.substr(0, exe.rfind(L'\\')) + L"\\browser_standin.exe";
    for (const wchar_t* name : {L"chrome.exe", L"msedge.exe"}) {
        const std::wstring copy = browsers.File(name);
        CopyFileW(standIn.c_str(), copy.c_str(), FALSE);
        RegSetKeyValueW(HKEY_CURRENT_USER, (kAppPaths + name).c_str(), nullptr, REG_SZ, copy.c_str(),
                        static_cast<DWORD>((copy.size() + 1) * sizeof(wchar_t)));
    }
    SeedVonuData(L"", arabic ? L"Language=ar\r\n" : L"Language=en\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    const bool ok = window && Run(vonu.id(), window, arabic, argv[2]);
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    for (const wchar_t* name : {L"chrome.exe", L"msedge.exe"}) RegDeleteTreeW(HKEY_CURRENT_USER, (kAppPaths + name).c_str());
    return ok ? 0 : 1;
}
