#include "ui/download_list.h"

#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <set>

#include "l10n/localization.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

struct ColumnSpec {
    const wchar_t* title;
    int width;
    int format;
};
const ColumnSpec kColumns[kColumnCount] = {
    {L"File Name", 280, LVCFMT_LEFT},   {L"Size", 90, LVCFMT_RIGHT},   {L"Status", 90, LVCFMT_LEFT},
    {L"Remaining", 90, LVCFMT_LEFT},    {L"Speed", 100, LVCFMT_RIGHT}, {L"Last attempt", 160, LVCFMT_LEFT},
    {L"Description", 160, LVCFMT_LEFT},
};

std::wstring ExtensionOf(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);
}

}  // namespace

bool DownloadList::Create(HWND parent, HINSTANCE instance, HFONT font) {
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                                LVS_OWNERDATA | LVS_SHAREIMAGELISTS,
                            0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!list_) return false;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(
        list_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    SetWindowTheme(list_, L"Explorer", nullptr);
    SHFILEINFOW info{};
    auto icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons) ListView_SetImageList(list_, icons, LVSIL_SMALL);
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = Px(kColumns[i].width);
        column.pszText = const_cast<wchar_t*>(Translate(kColumns[i].title));
        column.iSubItem = i;
        ListView_InsertColumn(list_, i, &column);
    }
    return true;
}

int DownloadList::IconFor(const std::wstring& fileName) {
    const std::wstring extension = ExtensionOf(fileName);
    auto found = iconCache_.find(extension);
    if (found != iconCache_.end()) return found->second;
    // A made-up name with the extension: the shell answers from the registry, not the disk.
    const std::wstring probe = extension.empty() ? L"file" : L"file" + extension;
    SHFILEINFOW info{};
    SHGetFileInfoW(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    iconCache_.emplace(extension, info.iIcon);
    return info.iIcon;
}

void DownloadList::Clear() {
    rows_.clear();
    rowOf_.clear();
    ListView_SetItemCountEx(list_, 0, 0);
}

void DownloadList::RemoveHiddenRows(const std::unordered_set<int32_t>& visibleIds) {
    // The control keeps selection by row index: carry it over by download id.
    std::set<int32_t> selected;
    for (int32_t id : SelectedIds()) selected.insert(id);
    const int focusedIndex = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    const int32_t focused =
        focusedIndex >= 0 && focusedIndex < static_cast<int>(rows_.size()) ? rows_[focusedIndex].id : 0;

    std::vector<Row> kept;
    kept.reserve(rows_.size());
    for (Row& row : rows_)
        if (visibleIds.count(row.id)) kept.push_back(std::move(row));
    rows_ = std::move(kept);
    rowOf_.clear();
    for (size_t i = 0; i < rows_.size(); ++i) rowOf_[rows_[i].id] = i;

    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t i = 0; i < rows_.size(); ++i) {
        UINT state = 0;
        if (selected.count(rows_[i].id)) state |= LVIS_SELECTED;
        if (rows_[i].id == focused) state |= LVIS_FOCUSED;
        if (state) ListView_SetItemState(list_, static_cast<int>(i), state, LVIS_SELECTED | LVIS_FOCUSED);
    }
    InvalidateRect(list_, nullptr, FALSE);
}

void DownloadList::RefreshRow(Row& row, const DownloadSnapshot& d, int index) {
    const RowInputs inputs = RowInputsOf(d);
    if (inputs == row.inputs && d.fileName == row.fileName && d.description == row.description) return;
    const bool sameDate = inputs.lastStart == row.inputs.lastStart && inputs.added == row.inputs.added;
    RowTexts texts = MakeRowTexts(d, sameDate ? &row.texts[kColumnDate] : nullptr);
    if (d.fileName != row.fileName) row.icon = IconFor(d.fileName);
    row.inputs = inputs;
    row.fileName = d.fileName;
    row.description = d.description;
    if (texts != row.texts) {
        row.texts = std::move(texts);
        ListView_RedrawItems(list_, index, index);
    }
}

void DownloadList::Update(const std::vector<const DownloadSnapshot*>& visible) {
    // Every row is still visible exactly when every row's download is among the visible.
    size_t withRow = 0;
    for (const DownloadSnapshot* d : visible) withRow += rowOf_.count(d->id);
    if (withRow < rows_.size()) {
        std::unordered_set<int32_t> visibleIds;
        for (const DownloadSnapshot* d : visible) visibleIds.insert(d->id);
        RemoveHiddenRows(visibleIds);
    }

    const size_t before = rows_.size();
    for (const DownloadSnapshot* d : visible) {
        auto found = rowOf_.find(d->id);
        if (found != rowOf_.end()) {
            RefreshRow(rows_[found->second], *d, static_cast<int>(found->second));
            continue;
        }
        Row row;
        row.id = d->id;
        row.texts = MakeRowTexts(*d);
        row.inputs = RowInputsOf(*d);
        row.fileName = d->fileName;
        row.description = d->description;
        row.icon = IconFor(d->fileName);
        rowOf_[d->id] = rows_.size();
        rows_.push_back(std::move(row));
    }
    if (rows_.size() != before)
        ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()),
                                LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

std::vector<int32_t> DownloadList::SelectedIds() const {
    std::vector<int32_t> ids;
    if (ListView_GetSelectedCount(list_) == 0) return ids;  // the common case, without a walk over the rows
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
        if (i < static_cast<int>(rows_.size())) ids.push_back(rows_[i].id);
    return ids;
}

void DownloadList::SelectAll() { ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED); }

void DownloadList::FillDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iItem >= static_cast<int>(rows_.size())) return;
    const Row& row = rows_[item.iItem];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iSubItem >= 0 &&
        item.iSubItem < kColumnCount) {
        const std::wstring& text = row.texts[item.iSubItem];
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.c_str(), n, item.pszText);
        item.pszText[n] = L'\0';
    }
    if (item.mask & LVIF_IMAGE) item.iImage = item.iSubItem == 0 ? row.icon : -1;
}

}  // namespace vonu
