#include "ui/server_limits_dialog.h"

#include <commctrl.h>

#include <string>

#include "l10n/localization.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/options_rules.h"
#include "ui/resource.h"
#include "ui/screen_scale.h"

namespace vonu {
namespace {

constexpr int kHostCap = 255;

void FillLimits(HWND dialog, const std::vector<ServerLimit>& limits) {
    std::vector<std::vector<std::wstring>> rows;
    for (const ServerLimit& l : limits) rows.push_back({l.host, std::to_wstring(l.limit)});
    FillReportList(GetDlgItem(dialog, IDC_LIMIT_LIST), rows);
}

void OnAdd(HWND dialog, std::vector<ServerLimit>& limits) {
    const std::wstring host = HostPart(DialogItemText(dialog, IDC_LIMIT_SERVER));
    if (host.empty()) return;
    if (HostBreaksLimitList(host)) {
        ShowMessageBox(dialog, L"A server name can't contain ; or =", L"Connections per server",
                       MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(dialog, IDC_LIMIT_SERVER));
        return;
    }
    AddServerLimit(limits, host, DialogItemText(dialog, IDC_LIMIT_NUMBER));
    SetDlgItemTextW(dialog, IDC_LIMIT_SERVER, L"");
    FillLimits(dialog, limits);
}

void OnRemove(HWND dialog, std::vector<ServerLimit>& limits) {
    const int row = SelectedRow(GetDlgItem(dialog, IDC_LIMIT_LIST));
    if (row < 0 || row >= static_cast<int>(limits.size())) return;
    limits.erase(limits.begin() + row);
    FillLimits(dialog, limits);
}

INT_PTR CALLBACK ServerLimitsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* limits = reinterpret_cast<std::vector<ServerLimit>*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        limits = reinterpret_cast<std::vector<ServerLimit>*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        LocalizeWindow(dialog);
        SetUpReportList(GetDlgItem(dialog, IDC_LIMIT_LIST), {{L"Server", 250}, {L"Connections", 100}});
        FillLimits(dialog, *limits);
        SetDlgItemTextW(dialog, IDC_LIMIT_NUMBER, L"2");
        SendDlgItemMessageW(dialog, IDC_LIMIT_NUMBER, EM_LIMITTEXT, 2, 0);
        SendDlgItemMessageW(dialog, IDC_LIMIT_SERVER, EM_LIMITTEXT, kHostCap, 0);
        ReadLeftToRight(GetDlgItem(dialog, IDC_LIMIT_SERVER));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_LIMIT_ADD: OnAdd(dialog, *limits); return TRUE;
        case IDC_LIMIT_REMOVE: OnRemove(dialog, *limits); return TRUE;
        case IDOK: EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

}  // namespace

void SetUpReportList(HWND list, std::initializer_list<std::pair<const wchar_t*, int>> columns) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const auto& [title, width] : columns) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(Translate(title));
        column.cx = Scaled(width);
        SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
    }
}

void FillReportList(HWND list, const std::vector<std::vector<std::wstring>>& rows) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(c);
            item.pszText = const_cast<wchar_t*>(rows[r][c].c_str());
            SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int SelectedRow(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

std::optional<std::vector<ServerLimit>> EditServerLimitsDialog(HWND owner, std::vector<ServerLimit> limits) {
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SERVER_LIMITS), owner, ServerLimitsProc,
                        reinterpret_cast<LPARAM>(&limits)) != IDOK)
        return std::nullopt;
    return limits;
}

}  // namespace vonu
