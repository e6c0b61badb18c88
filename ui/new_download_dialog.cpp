#include "ui/new_download_dialog.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "l10n/text_format.h"
#include "engine/naming.h"
#include "manager/control.h"
#include "model/categories.h"
#include "model/download_manager.h"
#include "ui/dialog_controls.h"
#include "ui/save_path_check.h"

namespace vonu {
namespace {

constexpr UINT_PTR kInfoTimer = 1;
constexpr UINT kInfoMilliseconds = 250;
constexpr wchar_t kTitle[] = L"Vonu";

struct DialogState {
    int32_t id = 0;
    bool fromOutside = false;
    bool userEditedPath = false;
    bool userChoseCategory = false;
    bool programmaticChange = false;
    bool appliedOnce = false;
    std::vector<std::wstring> categories;  // untranslated, in model order, as listed
};

DialogState& StateOf(HWND dialog) {
    return *reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void WritePath(HWND dialog, DialogState& state, const std::wstring& path) {
    state.programmaticChange = true;
    SetDlgItemTextW(dialog, IDC_ND_PATH, path.c_str());
    state.programmaticChange = false;
}

int CategoryIndex(const DialogState& state, const std::wstring& name) {
    for (size_t i = 0; i < state.categories.size(); ++i)
        if (state.categories[i] == name) return static_cast<int>(i);
    return -1;
}

std::wstring SelectedCategory(HWND dialog, const DialogState& state) {
    const LRESULT index = SendDlgItemMessageW(dialog, IDC_ND_CATEGORY, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= state.categories.size()) return {};
    return state.categories[static_cast<size_t>(index)];
}

// The category's folder + "\" + name, made free of other files and downloads. The folder is
// read before the manager lock is taken (it takes the category lock itself).
std::wstring FreePathIn(const std::wstring& category, const std::wstring& fileName, int32_t id) {
    DownloadManager& m = Manager();
    return UniquePath(m, FolderForCategory(m, category) + L"\\" + fileName, id);
}

std::wstring AfterLastBackslash(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring BeforeLastBackslash(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void TimerStep(HWND dialog, DialogState& state) {
    const std::optional<DownloadSnapshot> n = Manager().SnapshotOne(state.id);
    if (!n) return;
    std::optional<std::wstring> line;
    if (n->probing) {
        line = Translate(L"Getting file information...");
    } else if (n->probed) {
        if (n->video)
            line = FormatText(Translate(L"Video stream in %d parts"), static_cast<int>(n->partCount));
        else
            line = n->size < 0 ? std::wstring(Translate(L"Unknown")) : SizeText(n->size);
        if (!n->resumable) *line += Translate(L"    This server does not support resuming");
        if (!state.appliedOnce && !state.userEditedPath) {
            state.appliedOnce = true;
            std::wstring category = state.userChoseCategory ? SelectedCategory(dialog, state) : n->category;
            if (!state.userChoseCategory)
                SendDlgItemMessageW(dialog, IDC_ND_CATEGORY, CB_SETCURSEL, CategoryIndex(state, category), 0);
            WritePath(dialog, state, FreePathIn(category, n->fileName, state.id));
        }
    } else if (!n->lastError.empty()) {
        line = Translate(L"Could not get file information: ") + TranslateMessageText(n->lastError);
    }
    if (line && *line != DialogItemText(dialog, IDC_ND_SIZE))
        SetDlgItemTextW(dialog, IDC_ND_SIZE, line->c_str());
}

void OnCategoryChanged(HWND dialog, DialogState& state) {
    state.userChoseCategory = true;
    const std::wstring name = AfterLastBackslash(DialogItemText(dialog, IDC_ND_PATH));
    WritePath(dialog, state, FreePathIn(SelectedCategory(dialog, state), name, state.id));
}

void Browse(HWND dialog, DialogState& state) {
    const std::wstring current = DialogItemText(dialog, IDC_ND_PATH);
    const std::optional<std::wstring> file = AskForFile(dialog, true, L"All files (*.*)|*.*||",
                                                        AfterLastBackslash(current), BeforeLastBackslash(current));
    if (!file) return;
    WritePath(dialog, state, *file);
    state.userEditedPath = true;
}

void Tell(HWND dialog, const std::wstring& text) {
    ShowMessageBox(dialog, text.c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
}

// True when the dialog may close with this button.
bool Accept(HWND dialog, DialogState& state) {
    std::wstring path = TrimBlanks(DialogItemText(dialog, IDC_ND_PATH));
    const SavePathCheck check = CheckSavePath(path);
    if (check.verdict == SavePathVerdict::ChooseAgain) {
        Tell(dialog, Translate(L"Choose where to save the file"));
        return false;
    }
    if (check.verdict == SavePathVerdict::CannotCreate) {
        Tell(dialog, TranslateMessageText(check.message));
        return false;
    }
    const std::wstring category = SelectedCategory(dialog, state);
    const std::wstring free = UniquePath(Manager(), path, state.id);
    // Taken by a file or folder, an unfinished download's temporary file, or another
    // download in the list: two downloads must never finish into one path.
    if (free != path) {
        const std::wstring question = FormatText(
            Translate(L"A file with this name already exists.\nThe new file will be saved as:\n%s"),
            AfterLastBackslash(free).c_str());
        if (ShowMessageBox(dialog, question.c_str(), kTitle, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
            return false;
        path = free;
        WritePath(dialog, state, path);
    }
    SetProperties(Manager(), state.id, path, category, DialogItemText(dialog, IDC_ND_DESCRIPTION));
    return true;
}

void Open(HWND dialog, DialogState& state) {
    LocalizeWindow(dialog);
    for (int id : {IDC_ND_URL, IDC_ND_PATH}) ReadLeftToRight(GetDlgItem(dialog, id));
    SendDlgItemMessageW(dialog, IDC_ND_PATH, EM_LIMITTEXT, 32000, 0);
    SendDlgItemMessageW(dialog, IDC_ND_DESCRIPTION, EM_LIMITTEXT, 4000, 0);

    state.categories = CategoryNames(Manager());
    HWND box = GetDlgItem(dialog, IDC_ND_CATEGORY);
    for (const std::wstring& name : state.categories)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Translate(name.c_str())));
    if (const std::optional<DownloadSnapshot> n = Manager().SnapshotOne(state.id)) {
        SetDlgItemTextW(dialog, IDC_ND_URL, n->url.c_str());
        SendMessageW(box, CB_SETCURSEL, CategoryIndex(state, n->category), 0);
        WritePath(dialog, state, n->path);
    }
    TimerStep(dialog, state);
    SetTimer(dialog, kInfoTimer, kInfoMilliseconds, nullptr);
    if (state.fromOutside) {
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(dialog);
    }
    SetFocus(GetDlgItem(dialog, IDOK));
}

INT_PTR CALLBACK NewDownloadProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Open(dialog, StateOf(dialog));
            return FALSE;  // the focus is set
        case WM_TIMER:
            if (wParam == kInfoTimer) TimerStep(dialog, StateOf(dialog));
            return TRUE;
        case WM_COMMAND: {
            DialogState& state = StateOf(dialog);
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDC_ND_PATH && code == EN_CHANGE) {
                if (!state.programmaticChange) state.userEditedPath = true;
                return TRUE;
            }
            if (id == IDC_ND_CATEGORY && code == CBN_SELCHANGE) {
                OnCategoryChanged(dialog, state);
                return TRUE;
            }
            if (id == IDC_ND_BROWSE && code == BN_CLICKED) {
                Browse(dialog, state);
                return TRUE;
            }
            if (id == IDOK || id == IDC_ND_LATER) {
                if (Accept(dialog, state)) EndDialog(dialog, id);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        }
        case WM_DESTROY:
            KillTimer(dialog, kInfoTimer);
            break;
    }
    return FALSE;
}

}  // namespace

NewDownloadChoice ShowNewDownloadDialog(HWND owner, int32_t id, bool fromOutside) {
    DialogState state;
    state.id = id;
    state.fromOutside = fromOutside;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NEW_DOWNLOAD),
                                           owner, NewDownloadProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK) return NewDownloadChoice::DownloadNow;
    if (result == IDC_ND_LATER) return NewDownloadChoice::SaveForLater;
    return NewDownloadChoice::Cancel;
}

}  // namespace vonu
