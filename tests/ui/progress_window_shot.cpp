// Test tool: starts the real Vonu.exe on the test desktop, in English or Arabic, with a
// download from the slow nginx location running on four connections, and holds its windows
// still for progress_window_screenshot.sh: the progress window with its details, the same
// window with fewer details, and the completion window of a small download.
//
//   progress_window_shot.exe en|ar OUT_FOLDER
// For each picture NAME (progress-LANG-details, progress-LANG-compact, complete-LANG) it
// writes OUT_FOLDER\NAME.ready holding the window's place on the screen as WxH+X+Y, and goes
// on once OUT_FOLDER\NAME.done exists (or after 60 s). Exits 0 when every window came up in
// the language's direction, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/sample_list.h"
#include "tests/support/test_servers.h"
#include "tests/support/remote_dialogs.h"

using namespace vonu::test;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Section(int id, const std::wstring& url, const std::wstring& path, int64_t size,
                     int connections) {
    const std::wstring name = path.substr(path.rfind(L'\\') + 1);
    return L"[D" + std::to_wstring(id) + L"]\r\nUrl=" + url + L"\r\nFile=" + name + L"\r\nPath=" + path +
           L"\r\nCat=General\r\nSize=" + std::to_wstring(size) +
           L"\r\nRes=1\r\nProbed=1\r\nState=2\r\nAdded=134413227000000000\r\nConn=" +
           std::to_wstring(connections) + L"\r\n\r\n";
}

bool RightToLeft(HWND w) { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

// Tells the script where the window is and waits for its picture.
void Hold(HWND window, const std::wstring& folder, const std::wstring& name) {
    Sleep(1200);  // a few refreshes, the bars' easing and Wine's painting
    RECT r{};
    GetWindowRect(window, &r);
    char place[96];
    const int length = std::snprintf(place, sizeof place, "%ldx%ld+%ld+%ld\n", r.right - r.left,
                                     r.bottom - r.top, r.left, r.top);
    // Written aside and moved into place, so the script never reads a half-written file.
    const std::wstring ready = folder + L"\\" + name + L".ready";
    HANDLE file = CreateFileW((ready + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, place, static_cast<DWORD>(length), &written, nullptr);
        CloseHandle(file);
        MoveFileExW((ready + L".tmp").c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    WaitUntil(60000, [&] { return Exists(folder + L"\\" + name + L".done"); });
}

int Run(bool arabic, const std::wstring& folder) {
    if (!Servers().ok || !MainWindows().empty()) {
        std::fprintf(stderr, "no test servers, or another Vonu runs in this prefix\n");
        return 1;
    }
    const std::wstring lang = arabic ? L"ar" : L"en";
    const std::wstring big = folder + L"\\shot-" + lang + L"-20mib.bin";
    const std::wstring small = folder + L"\\shot-" + lang + L"-small.bin";
    for (const std::wstring& path : {big, small, big + L".vonu", small + L".vonu"}) DeleteFileW(path.c_str());
    SeedVonuData(Section(1, NginxUrl(L"/slow/20mib.bin"), big, 20971520, 4) +
                     Section(2, NginxUrl(L"/files/small.bin"), small, 1000, 1) +
                     L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n",
                 L"Language=" + lang + L"\r\nShowProgress=1\r\nShowComplete=1\r\nSound=0\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    HWND list = nullptr;
    bool ok = window && WaitUntil(10000, [&] {
                  list = ChildOfClass(window, L"SysListView32");
                  return list && ListViewRowCount(list) == 2;
              });
    HWND progress = nullptr, done = nullptr;
    if (ok) {
        SetWindowPos(window, HWND_BOTTOM, 8, 8, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        ListViewSelect(list, {0});
        PostMessageW(window, WM_COMMAND, ID_FILE_RESUME, 0);
        progress = WaitForTopWindow(vonu.id(), L"#32770", L"20mib.bin", 10000);
        HWND table = progress ? GetDlgItem(progress, IDC_PROGRESS_CONNECTIONS) : nullptr;
        ok = table && WaitUntil(15000, [&] { return ListViewRowCount(table) >= 4; });
    }
    if (ok) {
        ok = RightToLeft(progress) == arabic;
        SetWindowPos(progress, HWND_TOP, 120, 60, 0, 0, SWP_NOSIZE);
        Sleep(2500);  // every connection has some bytes
        Hold(progress, folder, L"progress-" + lang + L"-details");
        PostMessageW(GetDlgItem(progress, IDC_PROGRESS_DETAILS), BM_CLICK, 0, 0);
        Hold(progress, folder, L"progress-" + lang + L"-compact");
        PostMessageW(progress, WM_CLOSE, 0, 0);
        ListViewSelect(list, {1});
        PostMessageW(window, WM_COMMAND, ID_FILE_RESUME, 0);
        // Two spaces before the name: the completion window's title, not the progress window's.
        done = WaitForTopWindow(vonu.id(), L"#32770", L"  shot-" + lang + L"-small.bin", 20000);
        ok = done != nullptr;
    }
    if (ok && done) {
        ok = RightToLeft(done) == arabic;
        SetWindowPos(done, HWND_TOP, 120, 60, 0, 0, SWP_NOSIZE);
        Hold(done, folder, L"complete-" + lang);
        PostMessageW(GetDlgItem(done, IDCANCEL), BM_CLICK, 0, 0);
    }
    if (!ok)
        std::fprintf(stderr, "a window did not come up as expected (main %p, progress %p, complete %p)\n",
                     static_cast<void*>(window), static_cast<void*>(progress), static_cast<void*>(done));
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    for (const std::wstring& path :
         {big, small, big + L".vonu", small + L".vonu", small + L":Zone.Identifier"})
        DeleteFileW(path.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: progress_window_shot.exe en|ar OUT_FOLDER\n");
        return 2;
    }
    return Run(std::wstring(argv[1]) == L"ar", argv[2]);
}
