#include "tests/support/top_windows.h"

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

std::wstring ControlText(HWND control) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             2000, &copied))
        return {};
    return std::wstring(text, static_cast<size_t>(copied));
}

std::wstring ItemText(HWND dialog, int id) { return ControlText(GetDlgItem(dialog, id)); }

}  // namespace vonu::test
