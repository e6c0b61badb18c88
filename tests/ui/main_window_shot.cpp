// Test tool: starts the real Vonu.exe on the test desktop with the sample list, in English
// or Arabic, selects one row and holds the window there until told to let go, so
// main_window_screenshot.sh can take a picture of the screen.
//
//   main_window_shot.exe en|ar READY_FILE DONE_FILE
// Writes READY_FILE once the list shows every sample row, exits Vonu when DONE_FILE exists
// (or after 60 s), and exits 0 when the window was laid out in the language's direction with
// every row listed, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/sample_list.h"

using namespace vonu::test;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Run(bool arabic, const std::wstring& ready, const std::wstring& done) {
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu is running in this prefix\n");
        return 1;
    }
    SeedVonuData(SampleListText(), std::wstring(arabic ? L"Language=ar\r\n" : L"Language=en\r\n") +
                                       L"SpeedLimitKB=512\r\nLimiterOn=1\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    HWND list = nullptr;
    // Wait for the list as well, so a slow start cannot be taken for a missing list.
    if (window) WaitUntil(10000, [&] { return (list = ChildOfClass(window, L"SysListView32")) != nullptr; });
    bool ok = list && WaitUntil(10000, [&] { return ListViewRowCount(list) == 7; });
    if (ok) {
        const bool rtl = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        ok = rtl == arabic;
        SetWindowPos(window, HWND_TOP, 8, 8, 0, 0, SWP_NOSIZE);
        ListViewSelect(list, {1});
        Sleep(1500);  // a few window ticks and Wine's painting
        HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        WaitUntil(60000, [&] { return Exists(done); });
    } else {
        std::fprintf(stderr,
                     "the main window did not come up with the sample list (started %d, window %p, list %p, "
                     "rows %d)\n",
                     vonu.started() ? 1 : 0, static_cast<void*>(window), static_cast<void*>(list),
                     list ? ListViewRowCount(list) : -1);
    }
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: main_window_shot.exe en|ar READY_FILE DONE_FILE\n");
        return 2;
    }
    return Run(std::wstring(argv[1]) == L"ar", argv[2], argv[3]);
}
