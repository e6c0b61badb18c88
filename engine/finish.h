// The last step of a download that has all its bytes: the temporary file is moved to the
// target (a free " (n)" name when something took the target meanwhile), marked as coming
// from the internet, optionally checked by the antivirus program, and the item becomes
// Complete (its id goes on the completed list) or Error with one sentence.
//
// Runs on the download's worker thread without the manager lock held. The move, the size
// and the mark happen under the lock, so no snapshot sees the item half moved; the
// antivirus program runs without it (up to 10 minutes).
#pragma once

#include <string>

#include "model/download_manager.h"

namespace vonu {

// The sentence of a run whose bytes do not make the whole file: its finished segments do not
// cover the file exactly, or the temporary file has another length than the file's size.
inline constexpr wchar_t kFileIncomplete[] = L"Some parts of the file are missing. Start the download again.";

// For an ordinary download of known size, checks first that every byte was fetched (see
// kFileIncomplete); such a file is never renamed into place: Error, temporary file kept.
void FinishDownload(DownloadManager& m, DownloadItem& item, const std::wstring& tempPath);

// The command line of the antivirus check: scanExe quoted, a space, and scanArgs with its
// first "[file]" replaced by the path as it stands, or, without "[file]", followed by a
// space and the quoted path.
std::wstring ScanCommandLine(const std::wstring& scanExe, const std::wstring& scanArgs, const std::wstring& file);

// Only Microsoft Defender's scanner has a known meaning for its exit code: 2 is a threat.
bool ScanFoundThreat(const std::wstring& scanExe, int64_t exitCode);

}  // namespace vonu
