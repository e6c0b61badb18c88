// The Scheduler: every queue's name, schedule, how many of its downloads run at once and its
// end action, edited on a working copy of the queues. Apply, Start now, New queue and every
// way of closing write back what the user changed (ui/scheduler_rules.h) and save list.ini;
// Delete removes the selected queue at once. The status line is refreshed every second.
//
// Modal to `owner`; uses the IDD_SCHEDULER resource. User-interface thread: the working copy
// is taken and written back under the manager lock, and the main window's ticks run inside
// the dialog's loop. When the owner is destroyed meanwhile (an Exit), the dialog goes with it
// and writes nothing back: the exit has already stopped and saved everything.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vonu {

// Opens on the queue with `queueId` (the first queue when there is none of that id).
void ShowScheduler(HWND owner, const std::wstring& dataFolder, int32_t queueId);

}  // namespace vonu
