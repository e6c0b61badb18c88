// The program's modeless dialogs (progress and completion windows). The message loop hands
// each message to the dialog it is for, so Tab, Enter and Escape work there as in any
// dialog. User-interface thread only.
#pragma once

#include <windows.h>

namespace vonu {

void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);

// Destroys every dialog still open (the main window is going: the program ends).
void CloseModelessDialogs();

// True when the message was for one of the dialogs and that dialog has handled it.
bool HandleModelessDialogMessage(MSG& message);

}  // namespace vonu
