// The one way the program shows a message box. `type` takes the MessageBoxW flags (MB_OK,
// MB_OKCANCEL or MB_YESNO, with MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION or
// MB_ICONQUESTION); the result is the pressed button's id (IDOK, IDCANCEL, IDYES, IDNO).
//
// English: MessageBoxW as it is. Arabic: a right-to-left task dialog with the translated
// text and caption and Arabic buttons, the first one the default; a yes/no question closed
// with Escape or the close box answers No (IDNO), and an OK box closed so answers IDOK.
// Where no task dialog can be shown (common controls 6 missing), MessageBoxW in right-to-left
// reading order. User-interface thread; the box is modal to `owner` (may be null).
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace vonu {

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// TaskDialogIndirect of the common controls in use, or null where the loaded version has
// none. Looked up at run time so the program still starts (and falls back) without it.
TaskDialogFunction FindTaskDialog();

// ShowMessageBox's Arabic path with a chosen task dialog function (null: the fallback).
int ShowArabicMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type,
                         TaskDialogFunction taskDialog);

}  // namespace vonu
