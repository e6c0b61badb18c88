// Test tool: starts the real Vonu.exe (patched to trust this run's test key) on the test
// desktop in English or Arabic, asks it to check for updates, and holds the update dialog
// still for update_dialog_screenshot.sh in three states: the offer, a download running, and
// after Cancel.
//
//   update_dialog_shot.exe en|ar OUT_FOLDER
// For each picture NAME (update-LANG-offer, update-LANG-downloading, update-LANG-cancelled)
// it writes OUT_FOLDER\NAME.ready holding the dialog's place on the screen as WxH+X+Y, and
// goes on once OUT_FOLDER\NAME.done exists (or after 60 s). Exits 0 when the dialog came up
// in the language's direction with the texts it should show, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/update/update_fixtures.h"
#include "ui/resource.h"

using namespace vonu::test;

namespace {

bool RightToLeft(HWND w) { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

void Hold(HWND window, const std::wstring& folder, const std::wstring& name) {
    Sleep(1200);  // the bar's easing and Wine's painting
    RECT r{};
    GetWindowRect(window, &r);
    char place[96];
    const int length = std::snprintf(place, sizeof place, "%ldx%ld+%ld+%ld\n", r.right - r.left,
                                     r.bottom - r.top, r.left, r.top);
    const std::wstring ready = folder + L"\\" + name + L".ready";
    WriteBytes(ready + L".tmp", std::string(place, static_cast<size_t>(length)));
    MoveFileExW((ready + L".tmp").c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
    WaitUntil(60000, [&] { return FileExists(folder + L"\\" + name + L".done"); });
}

int Run(bool arabic, const std::wstring& folder) {
    if (!Servers().ok || !Fixtures().ok || !MainWindows().empty()) {
        std::fprintf(stderr, "no test servers or update fixtures, or another Vonu runs in this prefix\n");
        return 1;
    }
    const std::wstring lang = arabic ? L"ar" : L"en";
    const std::wstring tag = UniqueTag();
    const std::wstring served = Servers().files + L"\\" + tag;
    CreateDirectoryW(served.c_str(), nullptr);
    // From a local test server, so the file may come slowly over plain HTTP.
    WriteBytes(
        served + L"\\update.json",
        DescriptionJson(
            Fixtures().signedCases.at(L"trickle"),
            FaultUrl(L"/trickle?chunk=8192&pause=100&size=1048576&tag=" + tag),
            L"https://vonu.app/release-9.1.0",
            R"(["Downloads resume after the computer sleeps", "A faster site grabber",
                                   "Arabic dates in the file properties"])",
            R"(["تُستأنف التحميلات بعد سكون الحاسوب", "باحث ملفات أسرع", "تواريخ عربية في خصائص الملف"])"));
    TempFolder app;
    const std::wstring exe = app.File(L"Vonu.exe");
    WriteBytes(exe, ReadBytes(Fixtures().trustingExe()));
    SeedVonuData(L"", L"Language=" + lang + L"\r\nCheckUpdates=0\r\nUpdateUrl=" +
                          NginxUrl(L"/files/" + tag + L"/update.json") + L"\r\n");
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Process vonu =
        CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)
            ? Process(pi)
            : Process();
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    HWND dialog = nullptr;
    bool ok = window != nullptr;
    if (ok) {
        WaitUntil(10000, [&] { return IsWindowVisible(window) != 0; });
        SetWindowPos(window, HWND_BOTTOM, 8, 8, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        PostMessageW(window, WM_COMMAND, ID_HELP_UPDATES, 0);
        dialog = WaitForTopWindow(vonu.id(), L"#32770", L"", 30000);
        ok = dialog && RightToLeft(dialog) == arabic;
    }
    if (ok) {
        Hold(dialog, folder, L"update-" + lang + L"-offer");
        ClickItem(dialog, IDOK);
        // The busy form's first text, then the sizes once the first pieces are in.
        std::wstring first;
        ok = WaitUntil(10000, [&] { return !IsWindowEnabled(GetDlgItem(dialog, IDOK)); }) &&
             WaitUntil(5000, [&] { return !(first = ItemText(dialog, IDC_UPDATE_STATUS)).empty(); }) &&
             WaitUntil(15000, [&] { return ItemText(dialog, IDC_UPDATE_STATUS) != first; });
        Sleep(1500);
        if (ok) Hold(dialog, folder, L"update-" + lang + L"-downloading");
        ClickItem(dialog, IDCANCEL);
        Sleep(500);
        if (ok) Hold(dialog, folder, L"update-" + lang + L"-cancelled");
    }
    if (!ok)
        std::fprintf(stderr, "the update dialog did not come up as expected (main %p, dialog %p)\n",
                     static_cast<void*>(window), static_cast<void*>(dialog));
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    RemoveTree(served);
    return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: update_dialog_shot.exe en|ar OUT_FOLDER\n");
        return 2;
    }
    return Run(std::wstring(argv[1]) == L"ar", argv[2]);
}
