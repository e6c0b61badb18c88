#include "ui/address_dialog.h"

#include "model/hosts.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "engine/url.h"
#include "ui/dialog_controls.h"

namespace vonu {
namespace {

// The clipboard's Unicode text, capped: an address longer than this is not one to prefill.
constexpr size_t kClipboardCap = 64 * 1024;

struct AddressRequest {
    std::wstring address;
};

INT_PTR CALLBACK AddressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<AddressRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            HWND edit = GetDlgItem(dialog, IDC_ADDRESS_EDIT);
            ReadLeftToRight(edit);
            SendMessageW(edit, EM_LIMITTEXT, 8192, 0);
            SetWindowTextW(edit, AddressFromClipboardText(ClipboardUnicodeText(dialog, kClipboardCap)).c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                request = reinterpret_cast<AddressRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
                const std::wstring address = TrimBlanks(DialogItemText(dialog, IDC_ADDRESS_EDIT));
                if (!IsDownloadAddress(address)) {
                    ShowMessageBox(dialog, L"Enter an address that starts with http://, https:// or ftp://",
                                   L"Vonu", MB_OK | MB_ICONINFORMATION);
                    HWND edit = GetDlgItem(dialog, IDC_ADDRESS_EDIT);
                    SetFocus(edit);
                    SendMessageW(edit, EM_SETSEL, 0, -1);
                    return TRUE;
                }
                request->address = address;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    (void)request;
    return FALSE;
}

}  // namespace

std::wstring ClipboardUnicodeText(HWND owner, size_t most, bool* busy) {
    std::wstring text;
    if (busy) *busy = false;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return text;
    if (!OpenClipboard(owner)) {
        if (busy) *busy = true;
        return text;
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            const size_t bytes = GlobalSize(data);
            const size_t units = std::min(bytes / sizeof(wchar_t), most + 1);
            size_t length = 0;
            while (length < units && chars[length]) ++length;
            if (length <= most) text.assign(chars, length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring AddressFromClipboardText(std::wstring_view clipboardText) {
    std::wstring text = TrimBlanks(clipboardText);
    if (!IsDownloadAddress(text) || text.find_first_of(L" \r\n") != std::wstring::npos) return {};
    return text;
}

std::optional<std::wstring> AskForAddress(HWND owner) {
    AddressRequest request;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADDRESS), owner,
                                           AddressDialogProc, reinterpret_cast<LPARAM>(&request));
    if (result != IDOK) return std::nullopt;
    return request.address;
}

}  // namespace vonu
