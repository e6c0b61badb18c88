#include "ui/delete_dialog.h"

#include <string>

#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/resource.h"
#include "l10n/text_format.h"

namespace vonu {
namespace {

struct DeleteRequest {
    int count = 0;
    bool anyComplete = false;
    bool deleteFiles = false;
};

INT_PTR CALLBACK DeleteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<DeleteRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            request = reinterpret_cast<DeleteRequest*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const std::wstring text =
                request->count == 1
                    ? std::wstring(Translate(L"Remove the selected download from the list?"))
                    : FormatText(Translate(L"Remove %d selected downloads from the list?"), request->count);
            SetDlgItemTextW(dialog, IDC_DELETE_TEXT, text.c_str());
            EnableWindow(GetDlgItem(dialog, IDC_DELETE_FILES), request->anyComplete);
            LocalizeWindow(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                request->deleteFiles = IsDlgButtonChecked(dialog, IDC_DELETE_FILES) == BST_CHECKED;
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

std::optional<bool> AskDeleteDownloads(HWND owner, int count, bool anyComplete) {
    DeleteRequest request{count, anyComplete, false};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DELETE_DOWNLOADS),
                                           owner, DeleteDialogProc, reinterpret_cast<LPARAM>(&request));
    if (result != IDOK) return std::nullopt;
    return request.deleteFiles;
}

}  // namespace vonu
