// settings.ini: section [Main] of the data folder's settings file, UTF-16LE with a BOM.
// Read once at start-up and written back when the user confirms a change; UI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

std::wstring DefaultScanExe();   // Windows Defender's command-line scanner, expanded
std::wstring DefaultScanArgs();  // -Scan -ScanType 3 -File "[file]"

// Reads every key (but ServerLimits) into the settings fields, applying defaults and clamps.
// A missing file leaves every field as it is. Never writes the file.
void LoadSettings(DownloadManager& m, const std::wstring& settingsPath);

// Writes every key from MaxConn to PacUrl. A missing file is first created holding "[Main]"
// through the whole-file writer, so the profile functions keep writing UTF-16.
// UpdateUrl and ServerLimits are never written here. A text the profile functions would read
// back changed (one in quotes, or with blanks at an end) is written inside one more pair of
// double quotes, which the reading drops. The first failed write is the result; the other
// keys are still attempted.
WriteResult SaveSettings(const DownloadManager& m, const std::wstring& settingsPath);

// The settings the Options dialog edits, as plain values the dialog can keep and check
// before anything changes.
struct EditedSettings {
    uint32_t MaxConn = 8;
    uint32_t MaxActive = 3;
    bool LimiterOn = false;
    int32_t SpeedLimitKB = 0;
    int32_t MaxPerServer = 0;
    std::wstring BaseDir;
    bool ShowProgress = true, ShowComplete = true, Clipboard = true, MinToTray = true;
    bool CheckUpdates = true, Sound = false;
    std::wstring Language;
    uint32_t ProxyMode = 0;
    std::wstring Proxy, PacUrl;
    bool ScanOn = false;
    std::wstring ScanExe, ScanArgs;
};

// UI thread (the only writer of the settings fields).
EditedSettings CurrentSettings(const DownloadManager& m);
// Writes the values back, each under the lock its readers on other threads take: BaseDir and
// MaxPerServer under the category lock (the folder and limit lookups), MaxConn, MaxActive and
// the antivirus fields under the manager lock (new downloads and queues, the finishing step).
// Takes the locks itself, one at a time; call it holding neither.
void StoreEditedSettings(DownloadManager& m, const EditedSettings& edited);

// Start-up's load of all state from the data folder, in order: the antivirus defaults;
// categories, logins and server limits; BaseDir = the Downloads folder; settings.ini; the
// download list and queues. Only the records change: what the settings drive in the engine
// (the speed limiter's rate, the HTTP session) the caller applies next, a layer up.
void LoadAllState(DownloadManager& m, const std::wstring& dataFolder);

}  // namespace vonu
