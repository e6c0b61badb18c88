// settings.ini: section [Main] of the data folder's settings file, UTF-16LE with a BOM.
// Read once at start-up and written back when the user confirms a change; UI thread only.
#pragma once

#include <string>

#include "model/download_manager.h"

namespace vonu {

std::wstring DefaultScanExe();   // Windows Defender's command-line scanner, expanded
std::wstring DefaultScanArgs();  // -Scan -ScanType 3 -File "[file]"

// Reads every key (but ServerLimits) into the settings fields, applying defaults and clamps.
// A missing file leaves every field as it is. Never writes the file.
void LoadSettings(DownloadManager& m, const std::wstring& settingsPath);

// Writes every key from MaxConn to PacUrl. A missing file is first created holding "[Main]"
// through the whole-file writer, so the profile functions keep writing UTF-16.
// UpdateUrl and ServerLimits are never written here.
void SaveSettings(const DownloadManager& m, const std::wstring& settingsPath);

// Start-up's load of all state from the data folder, in order: the antivirus defaults;
// categories, logins and server limits; BaseDir = the Downloads folder; settings.ini; the
// download list and queues. Only the records change: what the settings drive in the engine
// (the speed limiter's rate, the HTTP session) the caller applies next, a layer up.
void LoadAllState(DownloadManager& m, const std::wstring& dataFolder);

}  // namespace vonu
