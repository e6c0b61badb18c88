// Test tool: starts Vonu (the build with the shutdown request's stand-in, so the countdown can
// never turn anything off) on the test desktop in English or Arabic and brings up the
// Scheduler, the New queue dialog and the turn-off countdown one after another, holding each
// on screen until told to go on, so queues_screenshot.sh can take a picture of it.
//
//   queues_shot.exe en|ar FOLDER
// For each step (scheduler, newqueue, countdown) writes FOLDER\STEP.ready when the dialog is
// up and waits for FOLDER\STEP.done (at most 60 s). Exits 0 when every dialog came up in the
// language's direction, 1 otherwise (the failing step on stderr).
#include <windows.h>

#include <cstdio>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"

using namespace vonu;
using namespace vonu::test;

namespace {

bool Run(bool arabic, const std::wstring& folder, DWORD pid, HWND window) {
    auto dialog = [&](const wchar_t* title) { return WaitForProcessDialog(pid, Translate(title)); };
    PostMessageW(window, WM_COMMAND, ID_QUEUES_SCHEDULER, 0);
    HWND scheduler = dialog(L"Scheduler");
    if (scheduler) {
        HWND list = GetDlgItem(scheduler, IDC_SCH_QUEUES);
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        SendMessageW(scheduler, WM_COMMAND, MAKEWPARAM(IDC_SCH_QUEUES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    if (!HoldForScreenshot(scheduler, arabic, folder, "scheduler")) return false;
    ClickItem(scheduler, IDC_SCH_NEW);
    HWND named = dialog(L"New queue");
    if (named) SetItemText(named, IDC_NQ_NAME, arabic ? L"تنزيلات الليل" : L"Weekend");
    if (!HoldForScreenshot(named, arabic, folder, "newqueue")) return false;
    ClickItem(named, IDCANCEL);
    WaitDialogGone(named);
    ClickItem(scheduler, IDC_SCH_START_NOW);  // the queue has nothing to do: its end action runs
    ClickItem(scheduler, IDCANCEL);
    WaitDialogGone(scheduler);
    HWND countdown = dialog(L"Turn off computer");
    const bool ok = HoldForScreenshot(countdown, arabic, folder, "countdown");
    if (countdown) ClickItem(countdown, IDCANCEL);
    if (countdown) WaitDialogGone(countdown);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: queues_shot.exe en|ar FOLDER\n");
        return 2;
    }
    const bool arabic = std::wstring(argv[1]) == L"ar";
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu runs in this prefix\n");
        return 1;
    }
    SetArabicInterface(arabic);
    SeedVonuData(L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n"
                 L"[Q2]\r\nName=Night queue\r\nMaxActive=2\r\nStartOn=1\r\nStartMin=1410\r\nDays=62\r\n"
                 L"StopOn=1\r\nStopMin=420\r\nAfter=2\r\n\r\n",
                 std::wstring(arabic ? L"Language=ar\r\n" : L"Language=en\r\n") + L"ShowProgress=0\r\n");
    Process vonu = StartProgram(TurnOffStandInPath(), L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    const bool ok = window && Run(arabic, argv[2], vonu.id(), window);
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    return ok ? 0 : 1;
}
