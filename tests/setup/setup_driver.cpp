#include "tests/setup/setup_driver.h"

#include "app/version_repair.h"
#include "setup/setup_resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/window_helpers.h"

namespace vonu::test {

std::wstring SetupPath() { return ProgramFolder() + L"\\Vonu-Setup.exe"; }

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// A visible top-level dialog titled `title` that holds a control `id`, of `pid` (0: any).
HWND FindDialog(DWORD pid, const std::wstring& title, int id) {
    struct Search {
        DWORD pid;
        const std::wstring& title;
        int id;
        HWND found = nullptr;
    } search{pid, title, id};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (s->pid && ProcessOf(w) != s->pid) return TRUE;
            if (!IsWindowVisible(w) || WindowClass(w) != L"#32770" || ControlText(w) != s->title) return TRUE;
            if (!GetDlgItem(w, s->id)) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD pid, const std::wstring& title, int id, DWORD ms) {
    HWND found = nullptr;
    WaitUntil(ms, [&] { return (found = FindDialog(pid, title, id)) != nullptr; });
    return found;
}

// Every text inside a message (a task dialog, or the classic box it falls back to).
std::wstring AllTexts(HWND window) {
    std::wstring all;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM p) -> BOOL {
            const std::wstring text = ControlText(child);
            if (!text.empty()) *reinterpret_cast<std::wstring*>(p) += text + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

// Waits for a "Vonu Setup" message of the process (one without the wizard's Next button),
// answers it with `button` and returns its texts.
std::wstring AnswerMessage(DWORD pid, const std::wstring& title, int button, DWORD ms) {
    HWND box = nullptr;
    WaitUntil(ms, [&] {
        box = FindDialog(pid, title, button);
        if (box && GetDlgItem(box, IDC_SETUP_NEXT)) box = nullptr;
        return box != nullptr;
    });
    if (!box) return L"(no message)";
    std::wstring texts;
    WaitUntil(3000, [&] { return !(texts = AllTexts(box)).empty(); });
    ClickItem(box, button);
    WaitDialogGone(box);
    return texts;
}

// The page of the frame that shows now, told by a control only it has.
int VisiblePage(HWND frame) {
    const int marks[] = {IDC_WELCOME_TITLE, IDC_LICENSE_ACCEPT,  IDC_FOLDER_EDIT,
                         IDC_OPTIONS_DESKTOP, IDC_INSTALL_STATUS, IDC_FINISHED_RUN};
    for (HWND child : ChildWindows(frame)) {
        if (!IsWindowVisible(child) || WindowClass(child) != L"#32770") continue;
        for (int page = 0; page < 6; ++page)
            if (GetDlgItem(child, marks[page])) return page;
    }
    return -1;
}

HWND Page(HWND frame) {
    for (HWND child : ChildWindows(frame))
        if (IsWindowVisible(child) && WindowClass(child) == L"#32770") return child;
    return nullptr;
}

bool WaitPage(HWND frame, int page, DWORD ms) {
    return WaitUntil(ms, [&] { return VisiblePage(frame) == page; });
}

bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SetChecked(HWND page, int id, bool on) {
    if (ItemChecked(page, id) != on) ClickItem(page, id);
    WaitUntil(3000, [&] { return ItemChecked(page, id) == on; });
}

std::wstring RegString(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return L"(none)";
    return buffer;
}

}  // namespace vonu::test
