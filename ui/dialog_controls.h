// Small helpers the program's dialogs share: reading a control's text, trimming what the
// user typed, and keeping address and path edits left to right in the Arabic interface.
// User-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vonu {

std::wstring ControlText(HWND control);
std::wstring DialogItemText(HWND dialog, int id);

// Without leading and trailing spaces, tabs, carriage returns and line feeds.
std::wstring TrimBlanks(std::wstring_view text);

// An edit box that holds an address or a path: left-to-right reading and layout, text
// aligned left, also inside a mirrored (Arabic) dialog. Call after LocalizeWindow.
void ReadLeftToRight(HWND edit);

// A font like the control's own with its height scaled and the given weight; the caller
// deletes it. Null when the control has no font.
HFONT DerivedFont(HWND control, int heightNumerator, int heightDenominator, LONG weight);

// The program's icon, big and small, on a top-level dialog's title bar and task button.
void SetProgramIcons(HWND dialog);

}  // namespace vonu
