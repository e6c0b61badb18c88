// Finding another process's top-level windows (the real Vonu.exe's progress and completion
// windows, its dialogs) by class and title, and reading its controls' texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vonu::test {

// Visible top-level windows of process `pid` whose class is `className` and whose title ends
// with `titleEnd` (any title when it is empty), in z-order.
std::vector<HWND> TopWindows(DWORD pid, const std::wstring& className, const std::wstring& titleEnd = L"");
// Polls every 50 ms; null when none showed in time.
HWND WaitForTopWindow(DWORD pid, const std::wstring& className, const std::wstring& titleEnd,
                      DWORD milliseconds);

// A control's text through WM_GETTEXT, which the system carries across processes (edit boxes
// keep their text where GetWindowText of another process does not look). Empty after a
// 2-second wait for a window that does not answer.
std::wstring ControlText(HWND control);
// The text of the dialog item `id` of `dialog`.
std::wstring ItemText(HWND dialog, int id);

}  // namespace vonu::test
