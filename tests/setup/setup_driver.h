// Driving the real Vonu-Setup.exe from another process as a user would: finding its dialogs
// and pages, reading their texts, answering its messages. Used by the wizard test and the
// screenshot tool.
#pragma once

#include <windows.h>

#include <string>

namespace vonu::test {

// Vonu-Setup.exe beside the running test program.
std::wstring SetupPath();
DWORD ProcessOf(HWND window);
// A visible top-level dialog titled `title` that holds a control `id`, of `pid` (0: any).
HWND FindDialog(DWORD pid, const std::wstring& title, int id);
HWND WaitForDialog(DWORD pid, const std::wstring& title, int id, DWORD ms = 20000);
// Every text inside a window's children (a task dialog, or the classic box it falls back to).
std::wstring AllTexts(HWND window);
// Waits for a message titled `title` of the process (a dialog without the wizard's Next
// button that holds `button`), presses `button` and returns its texts; "(no message)" when
// none came.
std::wstring AnswerMessage(DWORD pid, const std::wstring& title, int button, DWORD ms = 30000);
// The wizard page that shows now (0 Welcome ... 5 Finished, -1 none), told by a control only
// that page has, and its window.
int VisiblePage(HWND frame);
HWND Page(HWND frame);
bool WaitPage(HWND frame, int page, DWORD ms = 20000);
bool Shown(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
// A string value of HKEY_CURRENT_USER, "(none)" when there is none.
std::wstring RegString(const wchar_t* key, const wchar_t* name);
// Clicks a check box until it shows `on`.
void SetChecked(HWND page, int id, bool on);

}  // namespace vonu::test
