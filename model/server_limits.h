// Per-server connection limits: the key ServerLimits of settings.ini's [Main] section, as
// host=limit pairs joined by ";" (dl.example.net=2;files.example.org=4). Guarded by the
// category lock; the lookup is LimitForHost in model/hosts.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

// Pieces without "=" are skipped; the host is the text before the last "=", the limit the
// number after it, clamped to 1-32.
std::vector<ServerLimit> ParseServerLimits(std::wstring_view text);
// The value as written: no trailing ";", empty for no limits.
std::wstring FormatServerLimits(const std::vector<ServerLimit>& limits);

std::vector<ServerLimit> CopyServerLimits(DownloadManager& m);
// Replaces the list in memory; save with SaveCategoriesLoginsAndLimits.
void ReplaceServerLimits(DownloadManager& m, std::vector<ServerLimit> limits);

// Caller holds the category lock.
void LoadServerLimitsLocked(DownloadManager& m, const std::wstring& settingsPath);
// Writes the key with the profile functions; a missing settings.ini is first created as
// UTF-16 (a file the profile functions create would be ANSI). A host holds neither ";" nor
// "=" (the dialogs refuse them), so the value never needs quoting.
WriteResult SaveServerLimits(const std::wstring& settingsPath, const std::wstring& value);

}  // namespace vonu
