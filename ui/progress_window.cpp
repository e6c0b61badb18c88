#include "ui/progress_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/resource.h"
#include "manager/control.h"
#include "model/download_manager.h"
#include "ui/dialog_controls.h"
#include "ui/modeless_dialogs.h"
#include "ui/progress_bar.h"
#include "ui/progress_texts.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMilliseconds = 100;

struct ProgressWindow {
    HWND dialog = nullptr;
    int32_t id = 0;
    bool detailsShown = true;
    int fullHeight = 0;
    int compactHeight = 0;
    bool shownOnce = false;  // `shown` holds what the controls show
    ProgressTexts shown;
    std::vector<ConnectionRow> rows;  // what the table shows
    std::function<void(int32_t)> closed;
};

ProgressWindow* WindowOf(HWND dialog) {
    return reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND Item(const ProgressWindow& p, int id) { return GetDlgItem(p.dialog, id); }

void SetText(HWND window, const std::wstring& text, std::wstring& shown, bool force) {
    if (!force && text == shown) return;
    SetWindowTextW(window, text.c_str());
    shown = text;
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ShowTexts(ProgressWindow& p, const ProgressTexts& t) {
    const bool force = !p.shownOnce;
    ProgressTexts& s = p.shown;
    SetText(p.dialog, t.title, s.title, force);
    SetText(Item(p, IDC_PROGRESS_ADDRESS), t.address, s.address, force);
    SetText(Item(p, IDC_PROGRESS_PATH), t.path, s.path, force);
    SetText(Item(p, IDC_PROGRESS_STATUS), t.status, s.status, force);
    SetText(Item(p, IDC_PROGRESS_SIZE), t.size, s.size, force);
    SetText(Item(p, IDC_PROGRESS_DOWNLOADED), t.downloaded, s.downloaded, force);
    SetText(Item(p, IDC_PROGRESS_SPEED), t.speed, s.speed, force);
    SetText(Item(p, IDC_PROGRESS_REMAINING), t.remaining, s.remaining, force);
    SetText(Item(p, IDC_PROGRESS_RESUMABLE), t.canResume, s.canResume, force);
    SetText(Item(p, IDC_PROGRESS_PAUSE), t.pauseButton, s.pauseButton, force);
    if (force || t.pauseEnabled != s.pauseEnabled) {
        HWND pause = Item(p, IDC_PROGRESS_PAUSE);
        // A button that is being disabled must not keep the focus, or the keyboard is lost.
        if (!t.pauseEnabled && GetFocus() == pause) SetFocus(Item(p, IDC_PROGRESS_CANCEL));
        EnableWindow(pause, t.pauseEnabled);
        s.pauseEnabled = t.pauseEnabled;
    }
    p.shownOnce = true;
}

void ShowRows(ProgressWindow& p, const std::vector<ConnectionRow>& rows) {
    HWND list = Item(p, IDC_PROGRESS_CONNECTIONS);
    while (p.rows.size() > rows.size()) {
        SendMessageW(list, LVM_DELETEITEM, p.rows.size() - 1, 0);
        p.rows.pop_back();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const ConnectionRow& r = rows[i];
        const int row = static_cast<int>(i);
        if (i >= p.rows.size()) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<wchar_t*>(r.number.c_str());
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            SetCell(list, row, 1, r.downloaded);
            SetCell(list, row, 2, r.info);
            p.rows.push_back(r);
            continue;
        }
        ConnectionRow& s = p.rows[i];
        if (s.number != r.number) SetCell(list, row, 0, r.number);
        if (s.downloaded != r.downloaded) SetCell(list, row, 1, r.downloaded);
        if (s.info != r.info) SetCell(list, row, 2, r.info);
        s = r;
    }
}

void Show(ProgressWindow& p, const DownloadSnapshot& d) {
    ShowTexts(p, MakeProgressTexts(d));
    UpdateProgressBar(Item(p, IDC_PROGRESS_BAR), d, BarMode::WholeFile);
    UpdateProgressBar(Item(p, IDC_PROGRESS_CONNECTIONS_BAR), d, BarMode::Connections);
    ShowRows(p, MakeConnectionRows(d));
}

// A download that is no longer in the list closes its window, silently.
void Refresh(ProgressWindow& p) {
    const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(p.id);
    if (d)
        Show(p, *d);
    else
        DestroyWindow(p.dialog);
}

void AddColumns(HWND list) {
    struct Column {
        const wchar_t* title;
        int width;
        int format;
    };
    const Column columns[] = {
        {L"N.", 40, LVCFMT_LEFT}, {L"Downloaded", 110, LVCFMT_RIGHT}, {L"Info", 260, LVCFMT_LEFT}};
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    int index = 0;
    for (const Column& c : columns) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = c.format;
        column.cx = Px(c.width);
        column.pszText = const_cast<wchar_t*>(Translate(c.title));
        column.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
    }
}

void MeasureHeights(ProgressWindow& p) {
    RECT window{}, button{};
    GetWindowRect(p.dialog, &window);
    GetWindowRect(Item(p, IDC_PROGRESS_DETAILS), &button);
    p.fullHeight = window.bottom - window.top;
    p.compactHeight = button.bottom - window.top + Px(12);
}

void ToggleDetails(ProgressWindow& p) {
    p.detailsShown = !p.detailsShown;
    RECT window{};
    GetWindowRect(p.dialog, &window);
    SetWindowPos(p.dialog, nullptr, 0, 0, window.right - window.left,
                 p.detailsShown ? p.fullHeight : p.compactHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {IDC_PROGRESS_CONNECTIONS_LABEL, IDC_PROGRESS_CONNECTIONS_BAR, IDC_PROGRESS_CONNECTIONS})
        ShowWindow(Item(p, id), p.detailsShown ? SW_SHOW : SW_HIDE);
    SetWindowTextW(Item(p, IDC_PROGRESS_DETAILS),
                   Translate(p.detailsShown ? L"Fewer details" : L"More details"));
}

void PauseOrResume(ProgressWindow& p) {
    const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(p.id);
    if (!d) return;
    if (PauseButtonResumes(*d)) {
        if (d->state != DownloadState::Complete) StartDownload(Manager(), p.id);
    } else {
        StopDownload(Manager(), p.id);
    }
    Refresh(p);
}

void Cancel(ProgressWindow& p) {
    if (const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(p.id)) {
        const auto state = d->state;
        if (state == DownloadState::Queued || state == DownloadState::Downloading)
            StopDownload(Manager(), p.id);
    }
    DestroyWindow(p.dialog);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
    auto* p = reinterpret_cast<ProgressWindow*>(lParam);
    p->dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    AddModelessDialog(dialog);
    SetProgramIcons(dialog);
    AddColumns(Item(*p, IDC_PROGRESS_CONNECTIONS));
    LocalizeWindow(dialog);
    ReadLeftToRight(Item(*p, IDC_PROGRESS_ADDRESS));
    ReadLeftToRight(Item(*p, IDC_PROGRESS_PATH));
    MeasureHeights(*p);
    if (const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(p->id)) Show(*p, *d);
    SetTimer(dialog, kRefreshTimer, kRefreshMilliseconds, nullptr);
    // The focus starts in the address box, not on a button, so Enter presses nothing; its
    // text is left unselected.
    HWND address = Item(*p, IDC_PROGRESS_ADDRESS);
    SetFocus(address);
    SendMessageW(address, EM_SETSEL, 0, 0);
    return FALSE;  // the focus is set
}

void OnCommand(ProgressWindow& p, int command) {
    switch (command) {
        case IDC_PROGRESS_DETAILS:
            ToggleDetails(p);
            break;
        case IDC_PROGRESS_PAUSE:
            PauseOrResume(p);
            break;
        case IDC_PROGRESS_CANCEL:
            Cancel(p);
            break;
        case IDCANCEL:  // Escape and the close box
            DestroyWindow(p.dialog);
            break;
        case IDOK:  // Enter outside a button: nothing
            break;
    }
}

void OnDestroy(HWND dialog, ProgressWindow* p) {
    KillTimer(dialog, kRefreshTimer);
    RemoveModelessDialog(dialog);
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    if (p->closed) p->closed(p->id);
    delete p;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, lParam);
    ProgressWindow* p = WindowOf(dialog);
    if (!p) return FALSE;
    switch (message) {
        case WM_TIMER:
            if (wParam == kRefreshTimer) Refresh(*p);
            return TRUE;
        case WM_COMMAND:
            OnCommand(*p, LOWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy(dialog, p);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND CreateProgressWindow(HINSTANCE instance, int32_t downloadId, std::function<void(int32_t)> closed) {
    if (!RegisterProgressBarClass(instance) || !Manager().SnapshotOne(downloadId)) return nullptr;
    auto* p = new ProgressWindow;
    p->id = downloadId;
    p->closed = std::move(closed);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, ProgressDialogProc,
                                     reinterpret_cast<LPARAM>(p));
    // Initialisation never closes the window, so a failure means it never got that far.
    if (!dialog) delete p;
    return dialog;
}

}  // namespace vonu
