#include "ui/new_queue_dialog.h"

#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/resource.h"

namespace vonu {
namespace {

// A name longer than this is no name a tree or a menu can show.
constexpr int kNameCap = 100;

INT_PTR CALLBACK NewQueueProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            HWND edit = GetDlgItem(dialog, IDC_NQ_NAME);
            SendMessageW(edit, EM_LIMITTEXT, kNameCap, 0);
            SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                const std::wstring name = TrimBlanks(DialogItemText(dialog, IDC_NQ_NAME));
                if (name.empty()) {
                    HWND edit = GetDlgItem(dialog, IDC_NQ_NAME);
                    SetFocus(edit);
                    SendMessageW(edit, EM_SETSEL, 0, -1);
                    return TRUE;
                }
                *reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER)) = name;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::wstring> AskNewQueueName(HWND owner) {
    std::wstring name;
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NEW_QUEUE), owner, NewQueueProc,
                        reinterpret_cast<LPARAM>(&name)) != IDOK || name.empty())
        return std::nullopt;
    return name;
}

}  // namespace vonu
