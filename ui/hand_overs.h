// The main window's side of a browser hand-over: the copy-data handler checks the record
// (ui/hand_over_record.h) and keeps accepted addresses in the window's pending list (at most
// kMaxPendingHandOvers, oldest first); the window tick and the handler post
// kNextHandOverMessage, whose handler feeds the first entry into the add-from-address flow
// while no modal dialog of the program is open. The copy-data handler answers at once and
// never waits for the user: the host waits 5 seconds for it. User-interface thread only.
#pragma once

#include <windows.h>

#include "ui/main_window_state.h"

namespace vonu {

inline constexpr size_t kMaxPendingHandOvers = 10;

// Non-zero: taken (pending now, already pending, or already in the list unfinished, which
// brings the window forward and gives that download the hand-over's cookie, referrer and
// user agent). Zero: refused (not a hand-over record, not an http or https address, the list
// is full, or the program is exiting).
LRESULT ReceiveHandOver(MainWindow& w, const COPYDATASTRUCT* record);

// kNextHandOverMessage: the first pending entry goes into the add-from-address flow, unless
// a modal dialog of the program is open (the main window is disabled); then the tick asks again.
void TakeNextHandOver(MainWindow& w);

// The window tick's step: asks for the next entry when one waits and the window is enabled.
void PostNextHandOver(MainWindow& w);

}  // namespace vonu
