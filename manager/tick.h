// The manager tick: four times a second, on the user-interface thread, one pass under the
// manager lock that reaps ended threads, restarts downloads whose restart was pending,
// measures each running download's speed over the last 3 seconds, fires queue schedules
// and runs every active queue (starting queued downloads up to its limit and reporting a
// queue that has run out as a finished-queue event). No file or network work happens here.
#pragma once

#include <windows.h>

#include <cstdint>

#include "model/download_manager.h"

namespace vonu {

inline constexpr uint32_t kTickPeriodMs = 250;
inline constexpr uint32_t kSpeedWindowMs = 3000;
inline constexpr uint32_t kMinSpeedSpanMs = 400;

// Reads GetTickCount and GetLocalTime once each and runs TickAt. Takes the manager lock.
void Tick(DownloadManager& m);

// The tick at a given millisecond count (any 32-bit value; spans are taken modulo 2^32) and
// local time (only year, month, day, day of week, hour and minute are read). Takes the lock.
void TickAt(DownloadManager& m, uint32_t now, const SYSTEMTIME& localTime);

// The speed window after adding a sample at `now`: samples older than 3 s go, but never
// below two; the speed is recomputed over at least 400 ms, else it keeps its old value.
void AddSpeedSample(DownloadItem& item, uint32_t now, int64_t bytes);

}  // namespace vonu
