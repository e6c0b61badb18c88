#include "tools/batch_dialogs.h"

#include <commctrl.h>

#include <mutex>
#include <unordered_set>

#include "engine/probe.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "manager/control.h"
#include "model/download_manager.h"
#include "tools/batch_pattern.h"
#include "tools/checked_list.h"
#include "tools/link_tools_resource.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"

namespace vonu {
namespace {

constexpr wchar_t kExamplePattern[] = L"https://www.example.com/files/part*.zip";

// --- Batch address -----------------------------------------------------------------------

BatchExpansion ExpandDialogPattern(HWND dialog) {
    return ExpandPattern(DialogItemText(dialog, IDC_BA_PATTERN), DialogItemText(dialog, IDC_BA_FROM),
                         DialogItemText(dialog, IDC_BA_TO), DialogItemText(dialog, IDC_BA_DIGITS));
}

void ShowPreview(HWND dialog) {
    const BatchExpansion e = ExpandDialogPattern(dialog);
    if (!e.error.empty()) {
        SetDlgItemTextW(dialog, IDC_BA_FIRST, Translate(e.error.c_str()));
        SetDlgItemTextW(dialog, IDC_BA_LAST, L"");
        return;
    }
    SetDlgItemTextW(dialog, IDC_BA_FIRST, FormatText(Translate(L"First: %s"), e.addresses.front().c_str()).c_str());
    SetDlgItemTextW(dialog, IDC_BA_LAST,
                    FormatText(Translate(L"Last: %s  (%d links)"), e.addresses.back().c_str(),
                               static_cast<int>(e.addresses.size()))
                        .c_str());
}

INT_PTR CALLBACK BatchAddressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            SetDlgItemTextW(dialog, IDC_BA_PATTERN, kExamplePattern);
            SetDlgItemTextW(dialog, IDC_BA_FROM, L"1");
            SetDlgItemTextW(dialog, IDC_BA_TO, L"10");
            SetDlgItemTextW(dialog, IDC_BA_DIGITS, L"1");
            for (int id : {IDC_BA_PATTERN, IDC_BA_FROM, IDC_BA_TO, IDC_BA_DIGITS}) ReadLeftToRight(GetDlgItem(dialog, id));
            ShowPreview(dialog);
            HWND edit = GetDlgItem(dialog, IDC_BA_PATTERN);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_BA_PATTERN:
                case IDC_BA_FROM:
                case IDC_BA_TO:
                case IDC_BA_DIGITS:
                    if (HIWORD(wParam) == EN_CHANGE) ShowPreview(dialog);
                    return TRUE;
                case IDOK: {
                    BatchExpansion e = ExpandDialogPattern(dialog);
                    if (!e.error.empty()) {
                        ShowMessageBox(dialog, e.error.c_str(), L"Add batch download", MB_OK | MB_ICONINFORMATION);
                        return TRUE;
                    }
                    *reinterpret_cast<std::vector<std::wstring>*>(GetWindowLongPtrW(dialog, DWLP_USER)) =
                        std::move(e.addresses);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

// --- Batch list --------------------------------------------------------------------------

struct BatchList {
    const std::vector<std::wstring>* links = nullptr;
    CheckedList list;
    std::vector<int32_t> queueIds;  // by combo box entry
};

void ShowBatchStatus(HWND dialog, const BatchList& b) {
    SetDlgItemTextW(dialog, IDC_BL_STATUS,
                    FormatText(Translate(L"%d links found, %d ticked. Untick the ones you don't want."), b.list.Rows(),
                               b.list.Ticked())
                        .c_str());
}

void FillBatchList(HWND dialog, BatchList& b) {
    std::unordered_set<std::wstring> listed;  // the list's addresses, read once
    {
        DownloadManager& m = Manager();
        std::lock_guard guard(m.lock);
        listed.reserve(m.downloads.size());
        for (const auto& item : m.downloads) listed.insert(item->url);
    }
    std::vector<std::wstring> files;
    std::vector<bool> ticked;
    files.reserve(b.links->size());
    ticked.reserve(b.links->size());
    for (const std::wstring& a : *b.links) {
        files.push_back(BatchFileText(a));
        ticked.push_back(!listed.count(a));
    }
    b.list.Append(files, *b.links, ticked);

    HWND box = GetDlgItem(dialog, IDC_BL_QUEUE);
    for (const DownloadQueue& q : Manager().CopyQueues()) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Translate(q.name.c_str())));
        b.queueIds.push_back(q.id);
    }
    SendMessageW(box, CB_SETCURSEL, 0, 0);
}

void AddTicked(HWND dialog, BatchList& b, bool start) {
    const std::vector<std::wstring> ticked = b.list.TickedAddresses();
    if (ticked.empty()) {
        ShowMessageBox(dialog, L"Tick the files you want first", L"Batch download", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const LRESULT chosen = SendDlgItemMessageW(dialog, IDC_BL_QUEUE, CB_GETCURSEL, 0, 0);
    const int32_t queue =
        chosen >= 0 && static_cast<size_t>(chosen) < b.queueIds.size() ? b.queueIds[static_cast<size_t>(chosen)] : 1;
    DownloadManager& m = Manager();
    for (const std::wstring& address : ticked) MoveToQueue(m, AddDownload(address, {}), queue);
    if (start) StartQueue(m, queue);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK BatchListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* b = reinterpret_cast<BatchList*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            b = reinterpret_cast<BatchList*>(lParam);
            LocalizeWindow(dialog);
            b->list.Attach(GetDlgItem(dialog, IDC_BL_LIST));
            FillBatchList(dialog, *b);
            ShowBatchStatus(dialog, *b);
            return TRUE;
        case WM_NOTIFY:
            if (b && b->list.OnNotify(*reinterpret_cast<NMHDR*>(lParam))) ShowBatchStatus(dialog, *b);
            return FALSE;
        case WM_COMMAND:
            if (!b) break;
            switch (LOWORD(wParam)) {
                case IDC_BL_ALL:
                case IDC_BL_NONE:
                    b->list.TickAll(LOWORD(wParam) == IDC_BL_ALL);
                    ShowBatchStatus(dialog, *b);
                    return TRUE;
                case IDC_BL_DOWNLOAD:
                case IDC_BL_ADD:
                    AddTicked(dialog, *b, LOWORD(wParam) == IDC_BL_DOWNLOAD);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::vector<std::wstring>> AskBatchAddresses(HWND owner) {
    std::vector<std::wstring> addresses;
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BATCH_ADDRESS), owner, BatchAddressProc,
                        reinterpret_cast<LPARAM>(&addresses)) != IDOK ||
        addresses.empty())
        return std::nullopt;
    return addresses;
}

bool ShowBatchList(HWND owner, const std::vector<std::wstring>& links) {
    if (links.empty()) return false;
    BatchList b;
    b.links = &links;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BATCH_LIST), owner, BatchListProc,
                           reinterpret_cast<LPARAM>(&b)) == IDOK;
}

bool RunBatchDownload(HWND owner) {
    const std::optional<std::vector<std::wstring>> addresses = AskBatchAddresses(owner);
    return addresses && ShowBatchList(owner, *addresses);
}

}  // namespace vonu
