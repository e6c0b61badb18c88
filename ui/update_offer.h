// The main window's side of the updater: when a check starts (20 s after start and every
// hour for the daily check, or when the user asks), what a check's answer leads to (a
// message, a balloon or the update dialog), and the file a past update left behind.
// User-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/main_window_state.h"
#include "ui/update_result.h"

namespace vonu {

inline constexpr UINT_PTR kUpdateHourTimer = 3;
inline constexpr UINT kUpdateHourMilliseconds = 3600 * 1000;
inline constexpr UINT_PTR kUpdateStartTimer = 4;
inline constexpr UINT kUpdateStartMilliseconds = 20 * 1000;

// Up to four dot-separated decimal numbers read from the left of each (a missing or
// unreadable number reads as 0); the first pair that differs decides. Numbers of any length
// compare by value. Negative: a is older.
int CompareVersions(std::wstring_view a, std::wstring_view b);

// The automatic check is due: it is switched on, none runs, and the last successful check
// is more than 86,399 seconds ago (nowSeconds and lastCheck in seconds since 1970).
bool DailyCheckDue(bool checkUpdates, bool busy, int64_t nowSeconds, int64_t lastCheck);

// A verified result is offered when its version is newer than the program's and the user
// asked or it is not the version the user chose to skip.
bool ShouldOffer(bool asked, const std::wstring& offered, const std::wstring& skipVersion);

// Help > Check for updates (asked) and the daily check (not asked): sets the busy flag and
// starts the check of the UpdateUrl setting's address, or the product's own.
void StartUpdateCheck(MainWindow& w, bool asked);
void RunDailyUpdateCheck(MainWindow& w);

// WM_APP + 4.
void HandleUpdateCheckAnswer(MainWindow& w, bool asked, std::unique_ptr<UpdateResult> result);

// Shows the pending offer in the update dialog when the window is enabled, visible and not
// minimised (the window tick calls it); when the dialog installed the new version, closes
// the program.
void ShowPendingUpdateWhenFree(MainWindow& w);

// Timer 4: deletes the file the last update left behind, if there is one.
void RemoveOldProgramFile();

}  // namespace vonu
