// Small helpers the program's dialogs share: reading a control's text, trimming what the
// user typed, and keeping address and path edits left to right in the Arabic interface.
// User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
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

// A file dialog's filter from its "Name (*.x)|*.x||" text, translated, "|" made NUL.
std::wstring FileDialogFilter(const wchar_t* text);

// A folder picker starting at `start` (when it names a folder); the chosen folder, or
// nothing when the user cancelled.
std::optional<std::wstring> PickFolder(HWND owner, const std::wstring& start);

// The common open dialog (a file that must exist) or save dialog (asks before replacing),
// with the filter text; `proposed` fills the name box, `folder` (when not empty) is where it
// opens, `extension` is added to a name typed without one. The chosen path, or nothing when
// the user cancelled.
std::optional<std::wstring> AskForFile(HWND owner, bool save, const wchar_t* filter, const std::wstring& proposed = {},
                                       const std::wstring& folder = {}, const wchar_t* extension = nullptr);

// The program's icon, big and small, on a top-level dialog's title bar and task button.
void SetProgramIcons(HWND dialog);

}  // namespace vonu
