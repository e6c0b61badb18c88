#include "ui/completion_window.h"

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "ui/gdi_handles.h"
#include "ui/localize_window.h"
#include "ui/resource.h"
#include "ui/shell_open.h"
#include "model/download_manager.h"
#include "model/settings.h"
#include "ui/dialog_controls.h"
#include "ui/modeless_dialogs.h"

namespace vonu {
namespace {

struct CompletionWindow {
    DownloadSnapshot download;
    std::wstring settingsPath;
    FontHandle headingFont;
};

CompletionWindow* WindowOf(HWND dialog) {
    return reinterpret_cast<CompletionWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
    auto* c = reinterpret_cast<CompletionWindow*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    AddModelessDialog(dialog);
    SetProgramIcons(dialog);
    c->headingFont.reset(DerivedFont(dialog, 4, 3, 600));  // semibold, 4/3 the dialog font
    if (c->headingFont)
        SendDlgItemMessageW(dialog, IDC_COMPLETE_HEADING, WM_SETFONT,
                            reinterpret_cast<WPARAM>(c->headingFont.get()), FALSE);
    SetDlgItemTextW(dialog, IDC_COMPLETE_ADDRESS, c->download.url.c_str());
    SetDlgItemTextW(dialog, IDC_COMPLETE_PATH, c->download.path.c_str());
    SetDlgItemTextW(dialog, IDC_COMPLETE_SIZE, SizeText(c->download.size).c_str());
    LocalizeWindow(dialog);
    ReadLeftToRight(GetDlgItem(dialog, IDC_COMPLETE_ADDRESS));
    ReadLeftToRight(GetDlgItem(dialog, IDC_COMPLETE_PATH));
    const std::wstring title = std::wstring(Translate(L"Download complete")) + L"  " + c->download.fileName;
    SetWindowTextW(dialog, title.c_str());
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;  // the focus is set
}

// Every way of closing ends here (a button, Escape, the close box, the program's exit), so
// the check box is honoured whichever way the window goes.
void OnDestroy(HWND dialog, CompletionWindow* c) {
    if (IsDlgButtonChecked(dialog, IDC_COMPLETE_DONT_SHOW) == BST_CHECKED) {
        DownloadManager& m = Manager();
        m.ShowComplete = false;
        SaveSettings(m, c->settingsPath);
    }
    RemoveModelessDialog(dialog);
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    delete c;
}

void OnCommand(HWND dialog, const CompletionWindow& c, int command) {
    const std::wstring path = c.download.path;
    switch (command) {
        case IDOK:                   // Open, also Enter
            OpenFile(path, dialog);  // tells the user itself when the file cannot be opened
            break;
        case IDC_COMPLETE_OPEN_WITH:
            OpenWith(dialog, path);
            break;
        case IDC_COMPLETE_OPEN_FOLDER:
            ShowInFolder(path);
            break;
        case IDCANCEL:  // Close, Escape and the close box
            break;
        default:
            return;  // the check box and anything else: the window stays
    }
    DestroyWindow(dialog);
}

INT_PTR CALLBACK CompletionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, lParam);
    CompletionWindow* c = WindowOf(dialog);
    if (!c) return FALSE;
    switch (message) {
        case WM_COMMAND:
            OnCommand(dialog, *c, LOWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy(dialog, c);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND OpenCompletionWindow(HINSTANCE instance, const DownloadSnapshot& download,
                          const std::wstring& settingsPath) {
    auto* c = new CompletionWindow{download, settingsPath, {}};
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_COMPLETE), nullptr, CompletionDialogProc,
                                     reinterpret_cast<LPARAM>(c));
    if (!dialog) {
        delete c;
        return nullptr;
    }
    ShowWindow(dialog, SW_SHOWNORMAL);
    SetForegroundWindow(dialog);
    return dialog;
}

}  // namespace vonu
