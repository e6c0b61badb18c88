// Test tool: starts Vonu on the test desktop in English or Arabic and brings up each page of
// Options, then the Connections per server, Site login and Add category dialogs, holding each
// on screen until told to go on, so options_screenshot.sh can take a picture of it.
//
//   options_shot.exe en|ar FOLDER
// For each step (connection, saveto, downloads, proxy, logins, antivirus, limits, login,
// category) writes FOLDER\STEP.ready when the window is up and waits for FOLDER\STEP.done
// (at most 60 s). Exits 0 when every dialog came up in the language's direction, 1 otherwise
// (the failing step on stderr). Nothing is saved: every dialog is cancelled.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "model/data_folder.h"
#include "model/site_logins.h"
#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"

using namespace vonu;
using namespace vonu::test;

namespace {

bool Run(bool arabic, const std::wstring& folder, DWORD pid, HWND window) {
    auto dialog = [&](const wchar_t* title) { return WaitForProcessDialog(pid, Translate(title)); };
    PostMessageW(window, WM_COMMAND, ID_DOWNLOADS_OPTIONS, 0);
    HWND options = dialog(L"Options");
    if (!options) return HoldForScreenshot(nullptr, arabic, folder, "connection");
    HWND tabs = GetDlgItem(options, IDC_OPT_TABS);
    const char* pages[] = {"connection", "saveto", "downloads", "proxy", "logins", "antivirus"};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) ClickTab(tabs, i);
        WaitUntil(3000, [&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == i; });
        if (!HoldForScreenshot(options, arabic, folder, pages[i])) return false;
    }
    ClickTab(tabs, 0);
    PostMessageW(DescendantWithId(options, IDC_OPT_EXCEPTIONS), BM_CLICK, 0, 0);
    HWND limits = dialog(L"Connections per server");
    if (!HoldForScreenshot(limits, arabic, folder, "limits")) return false;
    ClickItem(limits, IDCANCEL);
    WaitDialogGone(limits);
    ClickTab(tabs, 4);
    ListViewSelect(DescendantWithId(options, IDC_OPT_LOGIN_LIST), {0});
    PostMessageW(DescendantWithId(options, IDC_OPT_LOGIN_EDIT), BM_CLICK, 0, 0);
    HWND login = dialog(L"Site login");
    if (!HoldForScreenshot(login, arabic, folder, "login")) return false;
    ClickItem(login, IDCANCEL);
    WaitDialogGone(login);
    ClickItem(options, IDCANCEL);
    WaitDialogGone(options);
    PostMessageW(window, WM_COMMAND, ID_DOWNLOADS_ADD_CATEGORY, 0);
    HWND category = dialog(L"Add category");
    if (category) {
        SetItemText(category, IDC_CAT_NAME, arabic ? L"كتب" : L"Books");
        SetItemText(category, IDC_CAT_TYPES, L"epub mobi azw3");
        SetItemText(category, IDC_CAT_FOLDER, L"C:\\Users\\Public\\Books");
    }
    const bool ok = HoldForScreenshot(category, arabic, folder, "category");
    if (category) ClickItem(category, IDCANCEL);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: options_shot.exe en|ar FOLDER\n");
        return 2;
    }
    const bool arabic = std::wstring(argv[1]) == L"ar";
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu runs in this prefix\n");
        return 1;
    }
    SetArabicInterface(arabic);
    SeedVonuData(L"", std::wstring(arabic ? L"Language=ar\r\n" : L"Language=en\r\n") +
                          L"ShowProgress=0\r\nCheckUpdates=0\r\nLimiterOn=1\r\nSpeedLimitKB=500\r\nProxyMode=2\r\n"
                          L"Proxy=127.0.0.1:8080\r\nBaseDir=C:\\Users\\Public\\Downloads\r\n"
                          L"ServerLimits=dl.example.com=2;files.example.org=4\r\n");
    // One site login, protected as the program does it.
    WriteUtf16File(LoginsPath(DataFolder()), L"[Login0]\r\nSite=files.example.org\r\nUser=reader\r\nPass=" +
                                                 ProtectPassword(L"secret") + L"\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    bool ok = window != nullptr;
    if (ok) ok = Run(arabic, argv[2], vonu.id(), window);
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    DeleteFileW(LoginsPath(DataFolder()).c_str());
    return ok ? 0 : 1;
}
