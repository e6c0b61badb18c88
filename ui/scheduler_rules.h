// The Scheduler's rules without its window: what the boxes store into a queue, and how the
// dialog's working copy reaches the model. User-interface thread; WriteBackQueueEdits takes
// the manager lock itself.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

inline constexpr int32_t kFewestActive = 1;
inline constexpr int32_t kMostActive = 10;
inline constexpr uint32_t kEveryDay = 127;

// "Files to download at the same time": a number (digits only, blanks around allowed) limited
// to 1 ... 10; anything else, the empty box included, keeps `old`.
int32_t MaxActiveFromText(std::wstring_view text, int32_t old);

// "Daily on these days" with the ticked day bits (bit 0 Sunday), none ticked meaning every
// day; "Once" is 0.
uint32_t DaysFromChoice(bool daily, uint32_t tickedDays);

// The end action the drop-down shows for a stored value: above 2 is "Turn off computer",
// below 0 "Do nothing".
int EndActionIndex(int32_t after);

// Writes back what the user changed: for each queue of `edited`, every field that differs
// from the same queue (by id) in `base`, the copy the dialog took when it opened or at its
// last Apply, goes into the model queue of that id. Fields the user left alone keep what the
// model holds now, so a one-time start the tick cleared meanwhile stays cleared. A changed
// schedule resets both date stamps, so it may fire again today. The running flag is never
// written. Queues missing from the model or from `base` are skipped. True when a model queue
// changed (the list is then marked changed).
bool WriteBackQueueEdits(DownloadManager& m, const std::vector<DownloadQueue>& base,
                         const std::vector<DownloadQueue>& edited);

}  // namespace vonu
