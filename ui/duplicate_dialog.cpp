#include "ui/duplicate_dialog.h"

#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/resource.h"
#include "l10n/text_format.h"

namespace vonu {
namespace {

struct DuplicateRequest {
    const std::wstring* fileName = nullptr;
    bool complete = false;
    DuplicateChoice choice = DuplicateChoice::AddUnderNewName;
};

INT_PTR CALLBACK DuplicateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<DuplicateRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            request = reinterpret_cast<DuplicateRequest*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetDlgItemTextW(
                dialog, IDC_DUP_EXISTING,
                request->complete ? L"Show the existing download" : L"Resume the existing download");
            LocalizeWindow(dialog);
            const wchar_t* format =
                request->complete ? L"You already downloaded \"%s\" from this link. What do you want to do?"
                                  : L"\"%s\" from this link is already in the list and not finished. What do "
                                    L"you want to do?";
            SetDlgItemTextW(dialog, IDC_DUP_TEXT,
                            FormatText(Translate(format), request->fileName->c_str()).c_str());
            const int selected = request->complete ? IDC_DUP_NEW_NAME : IDC_DUP_EXISTING;
            CheckRadioButton(dialog, IDC_DUP_NEW_NAME, IDC_DUP_EXISTING, selected);
            SetFocus(GetDlgItem(dialog, selected));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                request->choice = IsDlgButtonChecked(dialog, IDC_DUP_REPLACE) == BST_CHECKED
                                      ? DuplicateChoice::ReplaceExisting
                                  : IsDlgButtonChecked(dialog, IDC_DUP_EXISTING) == BST_CHECKED
                                      ? DuplicateChoice::UseExisting
                                      : DuplicateChoice::AddUnderNewName;
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

std::optional<DuplicateChoice> AskAboutDuplicate(HWND owner, const std::wstring& fileName, bool complete) {
    DuplicateRequest request{&fileName, complete, DuplicateChoice::AddUnderNewName};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DUPLICATE), owner,
                                           DuplicateDialogProc, reinterpret_cast<LPARAM>(&request));
    if (result != IDOK) return std::nullopt;
    return request.choice;
}

}  // namespace vonu
