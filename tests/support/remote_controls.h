// Reading and driving the common controls of another process (the running Vonu.exe), as a
// test driver must: messages whose parameters point to memory go through a buffer
// allocated in the target process (VirtualAllocEx) and read back with ReadProcessMemory.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace vonu::test {

// The parts of the running Vonu's main window a test drives.
struct VonuWindow {
    HWND main = nullptr;
    HWND list = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;
};
// Waits for the process's main window to be shown with its list, tree and status bar
// (start-up shows it right after making it), then for the list to show `rows` rows (any
// number when negative). False when that did not happen in time; *out holds what was found.
bool WaitForVonuWindow(DWORD pid, int rows, VonuWindow* out);

// The first direct child of `parent` with the window class `className`.
HWND ChildOfClass(HWND parent, const wchar_t* className);
// The first window at any depth below `parent` with this control id (the pages of a tabbed
// dialog are child dialogs, so their controls are not its direct children); null when none.
HWND DescendantWithId(HWND parent, int id);

int ListViewRowCount(HWND list);
std::wstring ListViewText(HWND list, int row, int column);
// Every row's texts, row by row.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns);
// Selects exactly these rows (and focuses the first).
void ListViewSelect(HWND list, const std::vector<int>& rows);
std::wstring ListViewHeaderText(HWND list, int column);

std::wstring StatusBarText(HWND bar, int pane);

// A date-time picker's time as hour * 60 + minute (DTM_GETSYSTEMTIME), -1 when it has none;
// setting one keeps today's date and sets the seconds to 0 (DTM_SETSYSTEMTIME).
int TimePickerMinute(HWND picker);
bool SetTimePickerMinute(HWND picker, int minute);

// Clicks a tab of a tab control as the mouse does (its rectangle through TCM_GETITEMRECT), so
// the owner gets TCN_SELCHANGING and TCN_SELCHANGE. False when the rectangle was not found.
bool ClickTab(HWND tabs, int index);

// Tree items: roots in order, children of an item in order, an item's text.
std::vector<HTREEITEM> TreeRoots(HWND tree);
std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM item);
std::wstring TreeItemText(HWND tree, HTREEITEM item);
void TreeSelect(HWND tree, HTREEITEM item);

// The notification-area balloons on the screen now: the shell shows each as a balloon
// tooltip window (TTS_BALLOON) of its own process, whose window text is the balloon's text.
// A window that does not answer within 2 s is passed over.
struct ShownBalloon {
    std::wstring text;
};
std::vector<ShownBalloon> ShownBalloons();

}  // namespace vonu::test
