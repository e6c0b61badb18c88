// Test tool: starts Vonu on the test desktop in English or Arabic and brings up the batch
// address dialog (with a pattern typed), the batch list dialog it leads to, and the File
// Finder after a search of a small page on the loopback nginx, one after another, holding
// each on screen until told to go on, so link_tools_screenshot.sh can take a picture of it.
//
//   link_tools_shot.exe en|ar FOLDER
// For each step (pattern, batchlist, finder) writes FOLDER\STEP.ready when the dialog is up
// and waits for FOLDER\STEP.done (at most 60 s). Exits 0 when every dialog came up in the
// language's direction, 1 otherwise (the failing step on stderr).
#include <windows.h>

#include <cstdio>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tools/link_tools_resource.h"
#include "ui/resource.h"

using namespace vonu;
using namespace vonu::test;

namespace {

bool Run(bool arabic, const std::wstring& folder, DWORD pid, HWND window) {
    auto dialog = [&](const wchar_t* title) { return WaitForProcessDialog(pid, Translate(title)); };
    PostMessageW(window, WM_COMMAND, ID_TASKS_BATCH, 0);
    HWND pattern = dialog(L"Add batch download");
    if (pattern) {
        SetItemText(pattern, IDC_BA_PATTERN, L"https://downloads.example.org/photos/img_*.jpg");
        SetItemText(pattern, IDC_BA_TO, L"120");
        SetItemText(pattern, IDC_BA_DIGITS, L"3");
    }
    if (!HoldForScreenshot(pattern, arabic, folder, "pattern")) return false;
    ClickItem(pattern, IDOK);
    HWND batch = dialog(L"Batch download");
    if (!HoldForScreenshot(batch, arabic, folder, "batchlist")) return false;
    ClickItem(batch, IDCANCEL);
    WaitDialogGone(batch);

    const std::wstring tag = UniqueTag();
    const std::wstring site = Servers().files + L"\\" + tag;
    CreateDirectoryW(site.c_str(), nullptr);
    std::string page = "<html><body>";
    for (const char* name : {"setup-2.4.1.exe", "manual.pdf", "sources.zip", "sample.mp4", "cover.png"})
        page += std::string("<a href='") + name + "'>" + name + "</a>\n";
    WriteBytes(site + L"\\index.html", page + "<a href='more.html'>more</a></body></html>");
    WriteBytes(site + L"\\more.html", "<a href='extras.zip?v=2'>x</a><a href='notes.txt'>n</a>");
    PostMessageW(window, WM_COMMAND, ID_TASKS_SITE_GRABBER, 0);
    HWND finder = dialog(L"File Finder");
    if (finder) {
        SetItemText(finder, IDC_SG_START, NginxUrl(L"/files/" + tag + L"/index.html"));
        ClickItem(finder, IDC_SG_FIND);
        WaitUntil(10000, [&] { return IsWindowEnabled(GetDlgItem(finder, IDC_SG_FIND)) != FALSE; });
    }
    const bool ok = HoldForScreenshot(finder, arabic, folder, "finder");
    if (finder) ClickItem(finder, IDCANCEL);
    if (finder) WaitDialogGone(finder);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: link_tools_shot.exe en|ar FOLDER\n");
        return 2;
    }
    const bool arabic = std::wstring(argv[1]) == L"ar";
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu runs in this prefix\n");
        return 1;
    }
    if (!Servers().ok) {
        std::fprintf(stderr, "no test servers\n");
        return 1;
    }
    SetArabicInterface(arabic);
    SeedVonuData(L"", std::wstring(arabic ? L"Language=ar\r\n" : L"Language=en\r\n") + L"ShowProgress=0\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    const bool ok = window && Run(arabic, argv[2], vonu.id(), window);
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    return ok ? 0 : 1;
}
