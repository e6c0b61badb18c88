#include "ui/turn_off_countdown.h"

#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/resource.h"

namespace vonu {
namespace {

constexpr UINT_PTR kSecondTimer = 1;
// The dialog's result for a turn-off. Not IDOK or IDCANCEL, and not the 0 or -1 a dialog
// destroyed with its owner returns, so only an explicit turn-off can produce it.
constexpr INT_PTR kTurnOffResult = 0x7D0F;

struct Countdown {
    int secondsLeft = kTurnOffSeconds;
};

void ShowCount(HWND dialog, int secondsLeft) {
    SetDlgItemTextW(dialog, IDC_TURN_OFF_TEXT, TurnOffCountdownText(secondsLeft).c_str());
}

INT_PTR CALLBACK CountdownProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* c = reinterpret_cast<Countdown*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            SetProgramIcons(dialog);
            ShowCount(dialog, reinterpret_cast<Countdown*>(lParam)->secondsLeft);
            SetTimer(dialog, kSecondTimer, 1000, nullptr);
            SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, IDCANCEL));
            return FALSE;  // the focus is set
        case WM_TIMER:
            if (wParam != kSecondTimer || !c) break;
            if (--c->secondsLeft < 1) {
                KillTimer(dialog, kSecondTimer);
                EndDialog(dialog, kTurnOffResult);
            } else {
                ShowCount(dialog, c->secondsLeft);
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_TURN_OFF_NOW) {
                KillTimer(dialog, kSecondTimer);
                EndDialog(dialog, kTurnOffResult);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {  // Cancel, Escape and the close box
                KillTimer(dialog, kSecondTimer);
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        case WM_DESTROY:
            KillTimer(dialog, kSecondTimer);
            break;
    }
    return FALSE;
}

}  // namespace

std::wstring TurnOffCountdownText(int secondsLeft) {
    return FormatText(
        Translate(L"The queue is done. The computer will turn off in %d seconds.\nSave your work, or press Cancel to keep it on."),
        secondsLeft);
}

bool AskTurnOffCountdown(HWND owner) {
    Countdown countdown;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TURN_OFF), owner, CountdownProc,
                           reinterpret_cast<LPARAM>(&countdown)) == kTurnOffResult;
}

}  // namespace vonu
