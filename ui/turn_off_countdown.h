// "Turn off computer": the 30-second countdown before a queue's end action turns the computer
// off. Topmost, modal to `owner`; Cancel is the default button, and Escape and the close box
// cancel too. The dialog's loop runs the main window's ticks meanwhile (downloads of other
// queues go on). User-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

inline constexpr int kTurnOffSeconds = 30;

// True only when the user pressed "Turn off now" or the count reached 0. Everything else is a
// cancel: Cancel, Escape, the close box, and the dialog being destroyed with its owner.
bool AskTurnOffCountdown(HWND owner);

// The text for a number of seconds left.
std::wstring TurnOffCountdownText(int secondsLeft);

}  // namespace vonu
