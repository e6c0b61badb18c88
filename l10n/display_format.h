// The text forms of the numbers, times and states the user sees, so every window shows the
// same ones. Each has an English and an Arabic form, picked by the Arabic-interface flag;
// the Arabic size, speed and time-left forms start with U+200F (right-to-left mark) so the
// number keeps its place in mirrored controls. Units are binary (1 KB = 1024 bytes).
// User-interface thread (they use the translation lookup).
#pragma once

#include <cstdint>
#include <string>

#include "model/download_snapshot.h"

namespace vonu {

inline constexpr wchar_t kRightToLeftMark = L'\u200F';

// "1023 Bytes", "1.00 KB", "1024.00 KB", "1.00 MB", "2.50 GB"; empty below 0 (unknown).
std::wstring SizeText(int64_t bytes);
// Bytes per second: "0.49 KB/sec" below 1 MB/sec, else "1.00 MB/sec".
std::wstring SpeedText(double bytesPerSecond);
// "59 sec", "1 min 0 sec", "1 hr 0 min", "1 days 1 hr"; empty unless downloading at a
// known speed with a known remainder.
std::wstring TimeLeftText(const DownloadSnapshot& download);
// Local date and time, "Mar 05 2026  02:07 PM" (English) or "5 مارس 2026  02:07 م"
// (Arabic, locale ar-EG); empty for a zero or negative FILETIME.
std::wstring DateText(int64_t fileTime);
// 0 to 100.
double PercentDone(const DownloadSnapshot& download);
// The list's status column: a state word, a percentage ("12.50%") or, for a download of
// unknown size, the bytes so far.
std::wstring StatusText(const DownloadSnapshot& download);

}  // namespace vonu
