// Driving the dialogs and message boxes another process (the running Vonu.exe) shows, as a
// user would: find a dialog by its title, read and type into its controls, click its
// buttons, pick a drop-down entry. An English message box is a MessageBoxW dialog (#32770)
// whose text is the static with id 0xFFFF.
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

// A visible top-level dialog (#32770) of the process with exactly this title; polls every
// 50 ms, null when none appeared in time.
HWND WaitForProcessDialog(DWORD pid, const std::wstring& title, DWORD milliseconds = 10000);
// True once the window is destroyed or hidden.
bool WaitDialogGone(HWND dialog, DWORD milliseconds = 10000);
// Cancels the process's open dialogs, front first, at most `most` of them (a cancelled one
// may open the next), each given 3 s to go; before a test ends the program.
void CancelOpenDialogs(DWORD pid, int most);

// WM_GETTEXT / WM_SETTEXT on a window or a control of the dialog (the system carries the text
// across processes; GetWindowText of another process's edit box does not). Setting an edit's
// text sends its EN_CHANGE, as typing does. Empty for a window that does not answer in 5 s.
std::wstring ControlText(HWND control);
std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
// A button click (BM_CLICK, posted): the dialog gets BN_CLICKED as from the mouse.
void ClickItem(HWND dialog, int id);
bool ItemChecked(HWND dialog, int id);
// Selects the entry of a drop-down list and tells the dialog, as a user's choice does.
void SelectComboEntry(HWND dialog, int id, int index);
// The control that has the keyboard focus in the dialog's thread.
HWND FocusedControl(HWND dialog);

// The text of a message box (the static with id 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Waits for the process's message box of that title, returns its text and presses the
// button (IDOK, IDCANCEL...); "(no message box)" when none appeared. A dialog that carries the
// same title as its box (the box is owned by it) is passed over as `except`.
std::wstring AnswerMessageBox(DWORD pid, const std::wstring& title, int button, HWND except = nullptr);

// For the screenshot tools: checks that `dialog` is there and laid out in the language's
// direction, lets Wine paint, writes FOLDER\STEP.ready and waits (at most 60 s) for
// FOLDER\STEP.done, which the screenshot script makes once it has the picture. False, with the
// reason on stderr, when the dialog is missing or has the wrong direction.
bool HoldForScreenshot(HWND dialog, bool arabic, const std::wstring& folder, const char* step);

}  // namespace vonu::test
