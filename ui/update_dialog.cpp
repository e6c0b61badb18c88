#include "ui/update_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/http_request.h"
#include "l10n/display_format.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/download_item.h"
#include "model/download_manager.h"
#include "model/settings.h"
#include "model/version.h"
#include "ui/dialog_controls.h"
#include "ui/gdi_handles.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/progress_bar.h"
#include "ui/resource.h"
#include "ui/updater_hooks.h"

namespace vonu {
namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressMilliseconds = 100;
// Sent by EndUpdateDialogForExit.
constexpr UINT kEndForExitMessage = WM_APP + 21;

struct UpdateDialog {
    UpdateResult offer;
    std::wstring settingsPath;
    HWND dialog = nullptr;
    FontHandle headingFont;

    bool busy = false;
    int32_t generation = 0;
    bool exitRequested = false;
    // The download's requests register here, so Cancel can close them; its cancel flag is
    // the download's cancel flag. The thread is joined before the next download reuses it.
    DownloadItem item;
    std::atomic<int64_t> received{0};
    std::atomic<int64_t> contentLength{-1};
    std::thread thread;
    // Written by the download thread before it posts its finish; read after the join.
    bool downloaded = false;
    std::wstring downloadedFile;
    std::wstring error;
};

// The open dialog, for an exit that comes while it is open. User-interface thread only.
HWND g_openDialog = nullptr;

UpdateDialog* StateOf(HWND dialog) {
    return reinterpret_cast<UpdateDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND Item(const UpdateDialog& d, int id) { return GetDlgItem(d.dialog, id); }

void SetItem(const UpdateDialog& d, int id, const std::wstring& text) {
    SetDlgItemTextW(d.dialog, id, text.c_str());
}

void ShowItem(const UpdateDialog& d, int id, bool visible) {
    ShowWindow(Item(d, id), visible ? SW_SHOW : SW_HIDE);
}

void ShowBar(const UpdateDialog& d, int64_t total, int64_t done, bool complete) {
    DownloadSnapshot s;
    s.size = total > 0 ? total : -1;
    s.downloaded = done;
    s.state = complete ? DownloadState::Complete : DownloadState::Downloading;
    UpdateProgressBar(Item(d, IDC_UPDATE_BAR), s, BarMode::WholeFile);
}

void StartProgressTimer(UpdateDialog& d) {
    SetTimer(d.dialog, kProgressTimer, kProgressMilliseconds, nullptr);
}
void StopProgressTimer(UpdateDialog& d) { KillTimer(d.dialog, kProgressTimer); }

void JoinDownload(UpdateDialog& d) {
    if (d.thread.joinable()) d.thread.join();
}

// The download stops at once: its flag is set and its requests closed (a read that waits
// for the server returns), then its thread is joined.
void StopDownload(UpdateDialog& d) {
    d.item.cancel = true;
    CloseOpenRequests(Manager(), d.item);
    JoinDownload(d);
}

void IdleForm(UpdateDialog& d) {
    d.busy = false;
    EnableWindow(Item(d, IDOK), TRUE);
    ShowItem(d, IDC_UPDATE_SKIP, true);
    SetItem(d, IDCANCEL, Translate(L"Remind me later"));
    ShowItem(d, IDC_UPDATE_BAR, true);
    ShowItem(d, IDC_UPDATE_STATUS, true);
}

void BusyForm(UpdateDialog& d) {
    EnableWindow(Item(d, IDOK), FALSE);
    ShowItem(d, IDC_UPDATE_SKIP, false);
    SetItem(d, IDCANCEL, Translate(L"Cancel"));
    ShowBar(d, -1, 0, false);
    ShowItem(d, IDC_UPDATE_BAR, true);
    SetItem(d, IDC_UPDATE_STATUS, Translate(L"Downloading the update..."));
    ShowItem(d, IDC_UPDATE_STATUS, true);
}

bool AnyDownloadRunning() {
    for (const DownloadSnapshot& s : Manager().SnapshotAll())
        if (s.state == DownloadState::Downloading) return true;
    return false;
}

void UpdateNow(UpdateDialog& d) {
    if (d.busy || !UpdaterInstalled()) return;
    if (AnyDownloadRunning() &&
        ShowMessageBox(
            d.dialog,
            L"Vonu will restart to finish the update. Downloads in progress will stop, and you can "
            L"resume them after.",
            L"Update Vonu", MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    JoinDownload(d);
    d.received = 0;
    d.contentLength = -1;
    d.item.cancel = false;
    d.downloaded = false;
    d.downloadedFile.clear();
    d.error.clear();
    d.busy = true;
    BusyForm(d);
    StartProgressTimer(d);
    const int32_t generation = ++d.generation;
    const HWND dialog = d.dialog;
    d.thread = std::thread([&d, dialog, generation] {
        d.downloaded =
            Updater().downloadFile(d.offer, d.item, d.received, d.contentLength, d.downloadedFile, d.error);
        PostMessageW(dialog, kUpdateFinishedMessage, d.downloaded ? 1 : 0, generation);
    });
}

void CancelDownload(UpdateDialog& d) {
    ++d.generation;
    StopProgressTimer(d);
    StopDownload(d);
    if (d.downloaded) DeleteFileW(d.downloadedFile.c_str());  // it finished as Cancel came
    IdleForm(d);
    ShowItem(d, IDC_UPDATE_BAR, false);
    SetItem(d, IDC_UPDATE_STATUS, Translate(L"Update cancelled."));
    d.item.cancel = false;
}

void OnProgressTimer(UpdateDialog& d) {
    if (!d.busy) return;
    const int64_t total = d.contentLength.load();
    const int64_t done = d.received.load();
    ShowBar(d, total, done, false);
    if (total > 0)
        SetItem(d, IDC_UPDATE_STATUS,
                FormatText(Translate(L"Downloading the update: %s of %s"), SizeText(done).c_str(),
                           SizeText(total).c_str()));
}

void OnDownloadFinished(UpdateDialog& d, LPARAM generation) {
    if (!d.busy || generation != d.generation) return;  // from a download that was cancelled
    StopProgressTimer(d);
    JoinDownload(d);
    if (d.downloaded) {
        ShowBar(d, d.offer.size, d.offer.size, true);
        SetItem(d, IDC_UPDATE_STATUS, Translate(L"Installing..."));
        UpdateWindow(d.dialog);
        if (Updater().swapAndRestart(d.offer, d.downloadedFile)) {
            d.exitRequested = true;
            d.busy = false;
            EndDialog(d.dialog, IDOK);
            return;
        }
        DeleteFileW(d.downloadedFile.c_str());
        IdleForm(d);
        ShowItem(d, IDC_UPDATE_BAR, false);
        SetItem(
            d, IDC_UPDATE_STATUS,
            Translate(L"Vonu cannot replace its own file in this folder. Download the new version from the "
                      L"website."));
        return;
    }
    IdleForm(d);
    SetItem(d, IDOK, Translate(L"Try again"));
    SetItem(d, IDC_UPDATE_STATUS,
            std::wstring(Translate(L"The update could not be downloaded: ")) + TranslateMessageText(d.error));
}

void SkipVersion(UpdateDialog& d) {
    DownloadManager& m = Manager();
    m.SkipVersion = d.offer.version;
    SaveSettings(m, d.settingsPath);
    EndDialog(d.dialog, IDCANCEL);
}

void OnCancelButton(UpdateDialog& d) {
    if (d.busy)
        CancelDownload(d);
    else
        EndDialog(d.dialog, IDCANCEL);
}

void Fill(UpdateDialog& d) {
    HWND heading = Item(d, IDC_UPDATE_HEADING);
    d.headingFont.reset(DerivedFont(heading, 4, 3, 600));
    if (d.headingFont)
        SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(d.headingFont.get()), FALSE);
    SetItem(d, IDC_UPDATE_VERSIONS,
            FormatText(Translate(L"Version %s is ready. You have version %s."), d.offer.version.c_str(),
                       kVersion));
    SetItem(d, IDC_UPDATE_NOTES, UpdateNotesText(d.offer.notes));
    if (IsArabicInterface())
        SetWindowLongPtrW(Item(d, IDC_UPDATE_NOTES), GWL_EXSTYLE,
                          GetWindowLongPtrW(Item(d, IDC_UPDATE_NOTES), GWL_EXSTYLE) | WS_EX_RTLREADING);
    if (IsReleasePageAddress(d.offer.page)) {
        SetItem(d, IDC_UPDATE_LINK, L"<a>" + std::wstring(Translate(L"Read more on the website")) + L"</a>");
        ShowItem(d, IDC_UPDATE_LINK, true);
    }
    SetProgramIcons(d.dialog);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
    auto* d = reinterpret_cast<UpdateDialog*>(lParam);
    d->dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    g_openDialog = dialog;
    LocalizeWindow(dialog);
    Fill(*d);
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;  // the focus is set
}

INT_PTR OnCommand(UpdateDialog& d, WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case IDOK:
            UpdateNow(d);
            return TRUE;
        case IDCANCEL:
            OnCancelButton(d);
            return TRUE;
        case IDC_UPDATE_SKIP:
            if (!d.busy) SkipVersion(d);
            return TRUE;
    }
    return FALSE;
}

INT_PTR OnNotify(UpdateDialog& d, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_UPDATE_LINK || (header->code != NM_CLICK && header->code != NM_RETURN))
        return FALSE;
    if (IsReleasePageAddress(d.offer.page))
        ShellExecuteW(d.dialog, L"open", d.offer.page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return TRUE;
}

INT_PTR OnDestroy(UpdateDialog& d) {
    // Whatever ends the dialog, its download thread does not outlive it.
    StopProgressTimer(d);
    if (d.thread.joinable()) StopDownload(d);
    if (g_openDialog == d.dialog) g_openDialog = nullptr;
    return FALSE;
}

INT_PTR OnEndForExit(UpdateDialog& d) {
    if (d.busy) CancelDownload(d);
    EndDialog(d.dialog, IDCANCEL);
    return TRUE;
}

using Handler = INT_PTR (*)(UpdateDialog&, WPARAM, LPARAM);

const std::unordered_map<UINT, Handler>& Handlers() {
    static const std::unordered_map<UINT, Handler> table = {
        {WM_COMMAND, [](UpdateDialog& d, WPARAM w, LPARAM) { return OnCommand(d, w); }},
        {WM_NOTIFY, [](UpdateDialog& d, WPARAM, LPARAM l) { return OnNotify(d, l); }},
        {WM_TIMER,
         [](UpdateDialog& d, WPARAM w, LPARAM) -> INT_PTR {
             if (w == kProgressTimer) OnProgressTimer(d);
             return TRUE;
         }},
        {kUpdateFinishedMessage,
         [](UpdateDialog& d, WPARAM, LPARAM l) -> INT_PTR {
             OnDownloadFinished(d, l);
             return TRUE;
         }},
        {kEndForExitMessage, [](UpdateDialog& d, WPARAM, LPARAM) { return OnEndForExit(d); }},
        {WM_DESTROY, [](UpdateDialog& d, WPARAM, LPARAM) { return OnDestroy(d); }},
    };
    return table;
}

INT_PTR CALLBACK UpdateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, lParam);
    UpdateDialog* d = StateOf(dialog);
    if (!d) return FALSE;
    auto found = Handlers().find(message);
    return found == Handlers().end() ? FALSE : found->second(*d, wParam, lParam);
}

}  // namespace

std::wstring UpdateNotesText(const std::vector<std::wstring>& notes) {
    bool anyText = false;
    std::wstring text;
    // In Arabic each line starts with a right-to-left mark, so its bullet stands at the
    // line's right, where an Arabic reader starts.
    const std::wstring bullet = IsArabicInterface() ? L"\u200F\u2022  " : L"\u2022  ";
    for (const std::wstring& line : notes) {
        anyText = anyText || !line.empty();
        text += bullet + line + L"\r\n";
    }
    return anyText ? text : std::wstring(Translate(L"Fixes and improvements."));
}

bool IsReleasePageAddress(const std::wstring& page) {
    return page.starts_with(L"https://") || page.starts_with(L"http://");
}

bool ShowUpdateDialog(HWND owner, const UpdateResult& offer, const std::wstring& settingsPath) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterProgressBarClass(instance)) return false;
    UpdateDialog d;
    d.offer = offer;
    d.settingsPath = settingsPath;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_UPDATE), owner, UpdateDialogProc,
                    reinterpret_cast<LPARAM>(&d));
    // WM_DESTROY has joined the download thread; this is for a dialog that never opened.
    if (d.thread.joinable()) StopDownload(d);
    return d.exitRequested;
}

bool EndUpdateDialogForExit() {
    if (!g_openDialog) return false;
    SendMessageW(g_openDialog, kEndForExitMessage, 0, 0);
    return true;
}

}  // namespace vonu
