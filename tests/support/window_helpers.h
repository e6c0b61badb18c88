// Finding and reading the windows a test's own threads show (dialogs, message boxes).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vonu::test {

std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);
std::vector<HWND> ChildWindows(HWND parent);  // direct children only
// The first top-level dialog (#32770) of the thread, waiting up to `milliseconds`.
HWND WaitForThreadDialog(DWORD threadId, DWORD milliseconds);
// Presses a key as the user would in a modal dialog: posted to the thread's focus window
// (the dialog's modal loop turns Escape into IDCANCEL and Enter into the default button).
void PressKey(DWORD threadId, HWND dialog, WPARAM virtualKey);
// True in a Wine process, where some shell and task dialog internals are plain controls.
bool RunningUnderWine();

}  // namespace vonu::test
