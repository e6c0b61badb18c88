#include "tests/support/remote_dialogs.h"

#include <cstdio>
#include <cstring>

#include "tests/support/process.h"
#include "tests/support/window_helpers.h"

namespace vonu::test {

namespace {

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::wstring& className, const std::wstring& titleEnd) {
    struct Search {
        DWORD pid;
        const std::wstring& className;
        const std::wstring& titleEnd;
        std::vector<HWND> found;
    } search{pid, className, titleEnd, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w) && WindowClass(w) == s->className &&
                EndsWith(ControlText(w), s->titleEnd))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD pid, const std::wstring& className, const std::wstring& titleEnd,
                      DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        const std::vector<HWND> all = TopWindows(pid, className, titleEnd);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
    });
    return found;
}

HWND WaitForProcessDialog(DWORD pid, const std::wstring& title, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        for (HWND w : TopWindows(pid, L"#32770", title))
            if (ControlText(w) == title) {
                found = w;
                break;
            }
        return found != nullptr;
    });
    return found;
}

bool WaitDialogGone(HWND dialog, DWORD milliseconds) {
    return WaitUntil(milliseconds, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

void CancelOpenDialogs(DWORD pid, int most) {
    for (int i = 0; i < most; ++i) {
        const std::vector<HWND> open = TopWindows(pid, L"#32770");
        if (open.empty()) return;
        PostMessageW(open.front(), WM_COMMAND, IDCANCEL, 0);
        WaitDialogGone(open.front(), 3000);
    }
}

std::wstring ControlText(HWND control) {
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return {};
    return std::wstring(text, static_cast<size_t>(copied));
}

std::wstring ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return L"(no control " + std::to_wstring(id) + L")";
    return ControlText(item);
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

void ClickItem(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool ItemChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

void SelectComboEntry(HWND dialog, int id, int index) {
    HWND box = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 5000, &result);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

HWND FocusedControl(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

std::wstring AnswerMessageBox(DWORD pid, const std::wstring& title, int button, HWND except) {
    HWND box = nullptr;
    WaitUntil(10000, [&] {
        for (HWND w : TopWindows(pid, L"#32770", title))
            if (w != except && ControlText(w) == title) box = w;
        return box != nullptr;
    });
    if (!box) return L"(no message box)";
    // The box fills its text while it opens; wait for it.
    std::wstring text;
    WaitUntil(3000, [&] {
        text = MessageBoxText(box);
        return !text.empty();
    });
    ClickItem(box, button);
    WaitDialogGone(box);
    return text;
}

bool HoldForScreenshot(HWND dialog, bool arabic, const std::wstring& folder, const char* step) {
    if (!dialog) {
        std::fprintf(stderr, "%s: the dialog did not open\n", step);
        return false;
    }
    if (((GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) != arabic) {
        std::fprintf(stderr, "%s: the dialog has the wrong direction\n", step);
        return false;
    }
    Sleep(700);  // Wine's painting
    const std::wstring base = folder + L"\\" + std::wstring(step, step + std::strlen(step));
    HANDLE file = CreateFileW((base + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    WaitUntil(60000, [&] { return GetFileAttributesW((base + L".done").c_str()) != INVALID_FILE_ATTRIBUTES; });
    return true;
}

}  // namespace vonu::test
