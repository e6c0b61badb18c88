#include "ui/site_login_dialog.h"

#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/options_rules.h"
#include "ui/resource.h"

namespace vonu {
namespace {

// Longer than any host name or user name; logins.ini lines stay short.
constexpr int kFieldCap = 1000;

INT_PTR CALLBACK SiteLoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* login = reinterpret_cast<SiteLogin*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        login = reinterpret_cast<SiteLogin*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        LocalizeWindow(dialog);
        const std::pair<int, const std::wstring*> fields[] = {
            {IDC_LOGIN_SITE, &login->site}, {IDC_LOGIN_USER, &login->user}, {IDC_LOGIN_PASSWORD, &login->password}};
        for (const auto& [id, text] : fields) {
            SetDlgItemTextW(dialog, id, text->c_str());
            SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, kFieldCap, 0);
            ReadLeftToRight(GetDlgItem(dialog, id));
        }
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    const std::wstring site = HostPart(DialogItemText(dialog, IDC_LOGIN_SITE));
    const std::wstring user = TrimBlanks(DialogItemText(dialog, IDC_LOGIN_USER));
    if (site.empty() || user.empty()) {
        ShowMessageBox(dialog, L"Enter the site and the user name", L"Site login", MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(dialog, site.empty() ? IDC_LOGIN_SITE : IDC_LOGIN_USER));
        return TRUE;
    }
    *login = {site, user, DialogItemText(dialog, IDC_LOGIN_PASSWORD)};
    EndDialog(dialog, IDOK);
    return TRUE;
}

}  // namespace

std::optional<SiteLogin> EditSiteLoginDialog(HWND owner, const SiteLogin& login) {
    SiteLogin edited = login;
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SITE_LOGIN), owner, SiteLoginProc,
                        reinterpret_cast<LPARAM>(&edited)) != IDOK)
        return std::nullopt;
    return edited;
}

}  // namespace vonu
