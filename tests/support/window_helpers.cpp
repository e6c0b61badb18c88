#include "tests/support/window_helpers.h"

#include "tests/support/process.h"

namespace vonu::test {

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND WaitForThreadDialog(DWORD threadId, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        EnumThreadWindows(
            threadId,
            [](HWND window, LPARAM param) -> BOOL {
                if (WindowClass(window) == L"#32770" && IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(param) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
    });
    return found;
}

void PressKey(DWORD threadId, HWND dialog, WPARAM virtualKey) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(threadId, &info) && info.hwndFocus) target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace vonu::test
