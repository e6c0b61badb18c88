// Test tool for tests/browser/chromium_test.py: the Windows side of the Chromium test, run
// under Wine between the browser's steps. It prepares and starts the real Vonu.exe, checks
// the New Download dialog that a hand-over opened, and ends the program again.
//
//   chromium_driver.exe seed en|ar     the data folder: an empty list, that language
//   chromium_driver.exe start          starts Vonu.exe and waits for its main window
//   chromium_driver.exe none           exit 0 when no main window exists
//   chromium_driver.exe dialog URL     waits up to 30 s for New Download showing URL, prints
//                                      "visible" or "hidden" (the main window), cancels it
//   chromium_driver.exe stop           closes open dialogs, exits Vonu, waits for its end
//   chromium_driver.exe clear          removes the seeded files
// Exit status 0 on success, 1 with the reason on stderr.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/browser/running_vonu.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "ui/resource.h"

using namespace vonu;
using namespace vonu::test;

namespace {

int Fail(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    return 1;
}

DWORD PidOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

int Dialog(const std::wstring& url) {
    HWND main = WaitForMainWindow(0, 30000);
    if (!main) return Fail("no main window");
    // New Download in either language: the dialog with the address field.
    HWND dialog = nullptr;
    WaitUntil(30000, [&] {
        for (HWND w : TopWindows(PidOf(main), L"#32770"))
            if (GetDlgItem(w, IDC_ND_URL)) dialog = w;
        return dialog != nullptr;
    });
    if (!dialog) return Fail("no New Download dialog");
    const std::wstring shown = ItemText(dialog, IDC_ND_URL);
    std::printf("%s\n", IsWindowVisible(main) ? "visible" : "hidden");
    ClickItem(dialog, IDCANCEL);
    WaitDialogGone(dialog);
    if (shown != url) {
        std::fprintf(stderr, "the dialog shows %ls\n", shown.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"seed" && argc == 3) {
        SeedVonuData(L"", L"Language=" + std::wstring(argv[2]) + L"\r\nShowProgress=0\r\nShowComplete=0\r\n");
        return 0;
    }
    if (command == L"clear") {
        ClearVonuData();
        return 0;
    }
    if (command == L"start") {
        Process vonu = StartVonu(L"");
        if (!vonu.started()) return Fail("Vonu.exe did not start");
        return WaitForMainWindow(vonu.id(), 30000) ? 0 : Fail("no main window");
    }
    if (command == L"none") return MainWindows().empty() ? 0 : Fail("a main window exists");
    if (command == L"dialog" && argc == 3) return Dialog(argv[2]);
    if (command == L"stop") return ExitRunningVonu() ? 0 : Fail("Vonu did not exit");
    return Fail("usage: chromium_driver.exe seed LANG | start | none | dialog URL | stop | clear");
}
