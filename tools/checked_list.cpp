#include "tools/checked_list.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "l10n/localization.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

bool IsTickedState(UINT state) { return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2); }

}  // namespace

void CheckedList::Attach(HWND list) {
    list_ = list;
    ListView_SetExtendedListViewStyle(
        list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    SetWindowTheme(list, L"Explorer", nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = Px(200);
    column.pszText = const_cast<LPWSTR>(Translate(L"File"));
    ListView_InsertColumn(list, 0, &column);
    column.cx = Px(400);
    column.pszText = const_cast<LPWSTR>(Translate(L"Address"));
    ListView_InsertColumn(list, 1, &column);
}

void CheckedList::Append(const std::vector<std::wstring>& files, const std::vector<std::wstring>& addresses,
                         const std::vector<bool>& ticked) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCount(list_, rows_ + static_cast<int>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = rows_;
        item.pszText = const_cast<LPWSTR>(files[i].c_str());
        const int row = ListView_InsertItem(list_, &item);
        if (row < 0) continue;
        ListView_SetItemText(list_, row, 1, const_cast<LPWSTR>(addresses[i].c_str()));
        addresses_.push_back(addresses[i]);
        ++rows_;
        // Counted by the change notification that follows.
        if (ticked[i]) ListView_SetCheckState(list_, row, TRUE);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
}

void CheckedList::Clear() {
    ListView_DeleteAllItems(list_);
    rows_ = 0;
    ticked_ = 0;
    addresses_.clear();
}

void CheckedList::TickAll(bool ticked) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemState(list_, -1, INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1), LVIS_STATEIMAGEMASK);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    // A change of every row at once (item -1) may come as one notification: count anew.
    ticked_ = 0;
    for (int row = 0; row < rows_; ++row)
        if (ListView_GetCheckState(list_, row)) ++ticked_;
}

std::vector<std::wstring> CheckedList::TickedAddresses() const {
    std::vector<std::wstring> out;
    for (int row = 0; row < rows_; ++row)
        if (ListView_GetCheckState(list_, row)) out.push_back(addresses_[row]);
    return out;
}

bool CheckedList::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_ || header.code != LVN_ITEMCHANGED) return false;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return false;
    const bool was = IsTickedState(change.uOldState), is = IsTickedState(change.uNewState);
    if (was == is) return false;
    ticked_ += is ? 1 : -1;
    return true;
}

std::wstring BatchFileText(const std::wstring& address) {
    const std::wstring cut = address.substr(0, address.find_first_of(L"?#"));
    const size_t slash = cut.rfind(L'/');
    std::wstring file = slash == std::wstring::npos ? cut : cut.substr(slash + 1);
    return file.empty() ? address : file;
}

}  // namespace vonu
