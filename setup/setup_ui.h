// The setup program's message boxes and the Arabic layout of its dialogs. UI thread only.
#pragma once

#include <windows.h>

namespace vonu {

// A task dialog titled "Vonu Setup" with the translated text. `type` takes the MessageBoxW
// flags MB_OK, MB_OKCANCEL or MB_YESNO with MB_ICONERROR or MB_ICONWARNING (any other icon
// shows as information). Returns IDOK, IDCANCEL, IDYES or IDNO; closing a yes/no dialog
// answers No, an OK dialog OK. Right to left in Arabic. Where no task dialog can be shown, a
// MessageBoxW with the same caption and text.
int ShowSetupMessage(HWND owner, const wchar_t* text, UINT type = MB_OK);

// Arabic only: translates the window title and every Button and Static child, mirrors the
// window (each child back at its mirrored place), gives every child but nested dialogs and
// single-line edit boxes right-to-left layout and reading order, and redraws.
void LocalizeSetupDialog(HWND dialog);

}  // namespace vonu
