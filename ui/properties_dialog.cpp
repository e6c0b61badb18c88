#include "ui/properties_dialog.h"

#include <shellapi.h>

#include <optional>

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "model/hosts.h"
#include "ui/gdi_handles.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "ui/shell_open.h"
#include "l10n/text_format.h"
#include "engine/url.h"
#include "manager/control.h"
#include "model/download_manager.h"
#include "ui/dialog_controls.h"

namespace vonu {
namespace {

struct PropertiesState {
    DownloadSnapshot download;
    IconHandle icon;
    FontHandle nameFont;
};

std::wstring NameForShell(const std::wstring& fileName) {
    return fileName.rfind(L'.') == std::wstring::npos ? std::wstring(L"file") : fileName;
}

void ShowShellInfo(HWND dialog, PropertiesState& state) {
    SHFILEINFOW info{};
    const std::wstring name = NameForShell(state.download.fileName);
    // SHGFI_USEFILEATTRIBUTES: by extension only, the file itself is never opened.
    if (SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_LARGEICON | SHGFI_TYPENAME)) {
        state.icon.reset(info.hIcon);
        if (state.icon)
            SendDlgItemMessageW(dialog, IDC_PR_ICON, STM_SETICON, reinterpret_cast<WPARAM>(state.icon.get()), 0);
    }
    SetDlgItemTextW(dialog, IDC_PR_TYPE, info.szTypeName[0] ? info.szTypeName : Translate(L"File"));
}

// An edited address the download cannot take (an empty one, ftp://, no scheme): the change
// of address would keep the old one without a word and the user's edit would be lost, so
// the dialog says so and stays open.
bool RefuseAddress(HWND dialog, const PropertiesState& state, const std::wstring& address) {
    HWND box = GetDlgItem(dialog, IDC_PR_ADDRESS);
    if ((GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY) || address == state.download.url) return false;
    if (IsWebAddress(address)) return false;
    ShowMessageBox(dialog, L"Enter an address that starts with http:// or https://", L"Vonu",
                   MB_OK | MB_ICONINFORMATION);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    return true;
}

void Confirm(HWND dialog, const PropertiesState& state) {
    const std::wstring address = TrimBlanks(DialogItemText(dialog, IDC_PR_ADDRESS));
    if (RefuseAddress(dialog, state, address)) return;
    ChangeAddress(Manager(), state.download.id, address, DialogItemText(dialog, IDC_PR_DESCRIPTION));
    EndDialog(dialog, IDOK);
}

void Fill(HWND dialog, PropertiesState& state) {
    const DownloadSnapshot& d = state.download;
    ShowShellInfo(dialog, state);
    SetWindowTextW(dialog, FormatText(Translate(L"%s properties"), d.fileName.c_str()).c_str());
    HWND name = GetDlgItem(dialog, IDC_PR_NAME);
    state.nameFont.reset(DerivedFont(name, 5, 4, 600));
    if (state.nameFont) SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(state.nameFont.get()), FALSE);
    SetWindowTextW(name, d.fileName.c_str());
    SetDlgItemTextW(dialog, IDC_PR_STATUS, PropertiesStatusText(d).c_str());
    SetDlgItemTextW(dialog, IDC_PR_SIZE, PropertiesSizeText(d).c_str());
    SetDlgItemTextW(dialog, IDC_PR_PATH, d.path.c_str());
    SetDlgItemTextW(dialog, IDC_PR_ADDRESS, d.url.c_str());
    SetDlgItemTextW(dialog, IDC_PR_REFERER, d.referrer.empty() ? Translate(L"None") : d.referrer.c_str());
    SetDlgItemTextW(dialog, IDC_PR_DESCRIPTION, d.description.c_str());
    SetDlgItemTextW(dialog, IDC_PR_DATES, PropertiesDatesText(d).c_str());
    for (int id : {IDC_PR_PATH, IDC_PR_ADDRESS, IDC_PR_REFERER}) ReadLeftToRight(GetDlgItem(dialog, id));

    const auto s = d.state;
    const bool complete = s == DownloadState::Complete;
    SendDlgItemMessageW(dialog, IDC_PR_ADDRESS, EM_SETREADONLY, complete || s == DownloadState::Downloading,
                        0);
    SendDlgItemMessageW(dialog, IDC_PR_ADDRESS, EM_LIMITTEXT, 8192, 0);
    EnableWindow(GetDlgItem(dialog, IDC_PR_OPEN), complete);
    EnableWindow(GetDlgItem(dialog, IDC_PR_OPEN_WITH), complete);
    const int focus = complete ? IDC_PR_OPEN : IDOK;
    SendMessageW(dialog, DM_SETDEFID, focus, 0);
    // The default look moves with DM_SETDEFID; the button styles follow it.
    SendDlgItemMessageW(dialog, IDOK, BM_SETSTYLE, complete ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
    SendDlgItemMessageW(dialog, IDC_PR_OPEN, BM_SETSTYLE, complete ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SetFocus(GetDlgItem(dialog, focus));
}

INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PropertiesState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<PropertiesState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            Fill(dialog, *state);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            const std::wstring path = state->download.path;
            switch (LOWORD(wParam)) {
                case IDOK:
                    Confirm(dialog, *state);
                    return TRUE;
                case IDC_PR_OPEN:
                    OpenFile(path, dialog);
                    Confirm(dialog, *state);
                    return TRUE;
                case IDC_PR_OPEN_WITH:
                    OpenWith(dialog, path);
                    Confirm(dialog, *state);
                    return TRUE;
                case IDC_PR_OPEN_FOLDER:
                    ShowInFolder(path);
                    Confirm(dialog, *state);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
        }
    }
    return FALSE;
}

}  // namespace

std::wstring PropertiesStatusText(const DownloadSnapshot& d) {
    std::wstring text;
    switch (d.state) {
        case DownloadState::Queued:
            text = Translate(L"Waiting in queue");
            break;
        case DownloadState::Downloading:
            text = Translate(d.scanning ? L"Checking with the antivirus" : L"Downloading");
            break;
        case DownloadState::Stopped:
            text = Translate(d.downloaded > 0 ? L"Stopped, can be resumed" : L"Stopped");
            break;
        case DownloadState::Complete:
            return Translate(L"Complete");
        case DownloadState::Error:
            return Translate(L"Error: ") + TranslateMessageText(d.lastError);
    }
    if (d.size > 0 || d.partCount > 0) text += FormatText(Translate(L"  (%.1f%% done)"), PercentDone(d));
    return text;
}

std::wstring PropertiesSizeText(const DownloadSnapshot& d) {
    if (d.size < 0) {
        if (d.video) return FormatText(Translate(L"Video stream, %d parts"), static_cast<int>(d.partCount));
        return Translate(L"Unknown");
    }
    std::wstring text = SizeText(d.size);
    if (d.size > 1023) text += FormatText(Translate(L"  (%lld bytes)"), static_cast<long long>(d.size));
    return text;
}

std::wstring PropertiesDatesText(const DownloadSnapshot& d) {
    std::wstring text = Translate(L"Added ") + DateText(d.added);
    if (d.lastStart > 0) text += Translate(L"    Last try ") + DateText(d.lastStart);
    return text;
}

bool ShowFileProperties(HWND owner, int32_t id) {
    std::optional<DownloadSnapshot> download = Manager().SnapshotOne(id);
    if (!download) return false;
    PropertiesState state;
    state.download = std::move(*download);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROPERTIES), owner,
                                           PropertiesDialogProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK;
}

}  // namespace vonu
