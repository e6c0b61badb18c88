// Driving the dialogs and message boxes another process (the running Vonu.exe) shows, as a
// user would: find a dialog by its title, read and type into its controls, click its
// buttons, pick a drop-down entry. An English message box is a MessageBoxW dialog (#32770)
// whose text is the static with id 0xFFFF.
#pragma once

#include <windows.h>

#include <string>

namespace vonu::test {

// A visible top-level dialog (#32770) of the process with exactly this title; polls every
// 50 ms, null when none appeared in time.
HWND WaitForProcessDialog(DWORD pid, const std::wstring& title, DWORD milliseconds = 10000);
// True once the window is destroyed or hidden.
bool WaitDialogGone(HWND dialog, DWORD milliseconds = 10000);

// WM_GETTEXT / WM_SETTEXT on a control of the dialog (the system carries the text across
// processes). Setting an edit's text sends its EN_CHANGE, as typing does.
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
// button (IDOK, IDCANCEL...); "(no message box)" when none appeared.
std::wstring AnswerMessageBox(DWORD pid, const std::wstring& title, int button);

}  // namespace vonu::test
