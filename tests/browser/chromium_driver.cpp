// Test tool for tests/browser/chromium_test.py: the Windows side of the Chromium test, run
// under Wine between the browser's steps. It prepares and starts the real Vonu.exe, checks
// the New Download dialog that a hand-over opened, and ends the program again.
//
//   chromium_driver.exe seed en|ar     the data folder: an empty list, that language
//   chromium_driver.exe start          starts Vonu.exe and waits for its main window
//   chromium_driver.exe none           exit 0 when no main window exists
//   chromium_driver.exe dialog URL [NAME]
//                                      waits up to 30 s for New Download showing URL (and a
//                                      path ending in NAME), prints "visible" or "hidden" (the
//                                      main window), cancels it
//   chromium_driver.exe shown          waits up to 30 s for New Download, prints its address
//                                      and file name on two lines, cancels it
//   chromium_driver.exe fill           hands distinct addresses over until the program
//                                      refuses one (its pending list is full while a dialog is
//                                      open); prints how many it took
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
#include "ui/hand_over_record.h"
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

// New Download in either language (the dialog with the address field) of the running
// program, waited for up to 30 s; null without one.
HWND NewDownload() {
    HWND main = WaitForMainWindow(0, 30000);
    if (!main) return nullptr;
    HWND dialog = nullptr;
    WaitUntil(30000, [&] {
        for (HWND w : TopWindows(PidOf(main), L"#32770"))
            if (GetDlgItem(w, IDC_ND_URL)) dialog = w;
        return dialog != nullptr;
    });
    return dialog;
}

int Shown() {
    HWND dialog = NewDownload();
    if (!dialog) return Fail("no New Download dialog");
    const std::wstring path = ItemText(dialog, IDC_ND_PATH);
    std::printf("%ls\n%ls\n", ItemText(dialog, IDC_ND_URL).c_str(), path.substr(path.rfind(L'\\') + 1).c_str());
    ClickItem(dialog, IDCANCEL);
    WaitDialogGone(dialog);
    return 0;
}

int Dialog(const std::wstring& url, const std::wstring& name) {
    HWND main = WaitForMainWindow(0, 30000);
    if (!main) return Fail("no main window");
    HWND dialog = NewDownload();
    if (!dialog) return Fail("no New Download dialog");
    const std::wstring shown = ItemText(dialog, IDC_ND_URL);
    const std::wstring path = ItemText(dialog, IDC_ND_PATH);
    std::printf("%s\n", IsWindowVisible(main) ? "visible" : "hidden");
    ClickItem(dialog, IDCANCEL);
    WaitDialogGone(dialog);
    if (shown != url) {
        std::fprintf(stderr, "the dialog shows %ls\n", shown.c_str());
        return 1;
    }
    if (!name.empty() && !path.ends_with(L"\\" + name)) {
        std::fprintf(stderr, "the dialog's path is %ls\n", path.c_str());
        return 1;
    }
    return 0;
}

// The same records the host sends, straight to the main window.
int Fill() {
    HWND main = WaitForMainWindow(0, 30000);
    if (!main) return Fail("no main window");
    for (int taken = 0; taken < 20; ++taken) {
        const std::wstring text =
            HandOverRecordText({L"http://127.0.0.1/fill/" + std::to_wstring(taken) + L".zip", L"", L"", L"", L""});
        COPYDATASTRUCT data{kHandOverId, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                            const_cast<wchar_t*>(text.c_str())};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                 &result))
            return Fail("the main window did not answer");
        if (result == 0) {
            std::printf("%d\n", taken);
            return 0;
        }
        // The first one opens New Download; the rest wait behind it.
        if (taken == 0) WaitUntil(10000, [&] { return !IsWindowEnabled(main); });
    }
    return Fail("twenty hand-overs were all taken");
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
    if (command == L"dialog" && (argc == 3 || argc == 4)) return Dialog(argv[2], argc == 4 ? argv[3] : L"");
    if (command == L"fill") return Fill();
    if (command == L"shown") return Shown();
    if (command == L"stop") return ExitRunningVonu() ? 0 : Fail("Vonu did not exit");
    return Fail("usage: chromium_driver.exe seed LANG | start | none | dialog URL [NAME] | shown | fill | stop | clear");
}
