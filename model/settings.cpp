#include "model/settings.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlwapi.h>

#include <climits>
#include <cwctype>
#include <optional>
#include <vector>

#include "model/data_folder.h"
#include "model/list_file.h"
#include "model/user_lists.h"
#include "model/whole_file_writer.h"

namespace vonu {
namespace {

constexpr const wchar_t* kSection = L"Main";

std::wstring ReadString(const std::wstring& path, const wchar_t* key, size_t bufferChars) {
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    DWORD n = GetPrivateProfileStringW(kSection, key, L"", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path.c_str());
    return std::wstring(buffer.data(), n);
}

// The leading decimal number of the value, saturated to 64 bits; nothing when the key is
// absent or its value does not start with a number. (The profile functions would read such
// a value as 0, which for MaxConn or ShowProgress is not what the user had.)
std::optional<int64_t> ReadNumber(const std::wstring& path, const wchar_t* key) {
    std::wstring text = ReadString(path, key, 64);
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return std::nullopt;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        int digit = text[i] - L'0';
        if (value > (INT64_MAX - digit) / 10) {
            value = INT64_MAX;
            while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

int64_t ReadInt(const std::wstring& path, const wchar_t* key, int64_t fallback, int64_t lo,
                int64_t hi) {
    return Clamp(ReadNumber(path, key).value_or(fallback), lo, hi);
}

bool ReadBool(const std::wstring& path, const wchar_t* key, bool fallback) {
    auto v = ReadNumber(path, key);
    return v ? *v != 0 : fallback;
}

// An empty stored value keeps the current (default) value.
void ReadNonEmpty(const std::wstring& path, const wchar_t* key, size_t bufferChars,
                  std::wstring& field) {
    std::wstring v = ReadString(path, key, bufferChars);
    if (!v.empty()) field = v;
}

void Write(const std::wstring& path, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(kSection, key, value.c_str(), path.c_str());
}
void Write(const std::wstring& path, const wchar_t* key, int64_t value) {
    Write(path, key, std::to_wstring(value));
}
void WriteBool(const std::wstring& path, const wchar_t* key, bool value) {
    Write(path, key, std::wstring(value ? L"1" : L"0"));
}

}  // namespace

std::wstring DefaultScanExe() {
    wchar_t buffer[260] = {};
    ExpandEnvironmentStringsW(L"%ProgramFiles%\\Windows Defender\\MpCmdRun.exe", buffer, 260);
    return buffer;
}

std::wstring DefaultScanArgs() { return L"-Scan -ScanType 3 -File \"[file]\""; }

void LoadSettings(DownloadManager& m, const std::wstring& p) {
    if (!PathFileExistsW(p.c_str())) return;
    m.MaxConn = static_cast<uint32_t>(ReadInt(p, L"MaxConn", 8, 1, 32));
    m.MaxActive = static_cast<uint32_t>(ReadInt(p, L"MaxActive", 3, 1, 10));
    m.SpeedLimitKB = static_cast<int32_t>(ReadInt(p, L"SpeedLimitKB", 0, INT32_MIN, INT32_MAX));
    m.LimiterOn = ReadBool(p, L"LimiterOn", false);
    m.ShowProgress = ReadBool(p, L"ShowProgress", true);
    m.ShowComplete = ReadBool(p, L"ShowComplete", true);
    ReadNonEmpty(p, L"BaseDir", 520, m.BaseDir);
    m.Clipboard = ReadBool(p, L"Clipboard", true);
    m.MinToTray = ReadBool(p, L"MinToTray", true);
    m.Language = ReadString(p, L"Language", 1024);
    m.ProxyMode = static_cast<uint32_t>(ReadInt(p, L"ProxyMode", 0, 0, 3));
    m.Proxy = ReadString(p, L"Proxy", 1024);
    m.ScanOn = ReadBool(p, L"ScanOn", false);
    ReadNonEmpty(p, L"ScanExe", 1024, m.ScanExe);
    ReadNonEmpty(p, L"ScanArgs", 1024, m.ScanArgs);
    m.CheckUpdates = ReadBool(p, L"CheckUpdates", true);
    m.LastUpdateCheck = ReadNumber(p, L"LastUpdateCheck").value_or(0);
    m.SkipVersion = ReadString(p, L"SkipVersion", 1024);
    m.Sound = ReadBool(p, L"Sound", false);
    m.MaxPerServer = static_cast<int32_t>(ReadInt(p, L"MaxPerServer", 0, 0, 32));
    m.PacUrl = ReadString(p, L"PacUrl", 1024);
    m.UpdateUrl = ReadString(p, L"UpdateUrl", 1024);
}

void SaveSettings(const DownloadManager& m, const std::wstring& p) {
    // Without a byte-order mark the profile functions would write an ANSI file, losing
    // every non-ANSI character (an Arabic folder name, say). If even that fails, write
    // nothing rather than an ANSI file.
    if (!PathFileExistsW(p.c_str()) && !WriteWholeFile(p, L"[Main]\r\n").ok) return;
    Write(p, L"MaxConn", m.MaxConn);
    Write(p, L"MaxActive", m.MaxActive);
    Write(p, L"SpeedLimitKB", m.SpeedLimitKB);
    WriteBool(p, L"LimiterOn", m.LimiterOn);
    WriteBool(p, L"ShowProgress", m.ShowProgress);
    WriteBool(p, L"ShowComplete", m.ShowComplete);
    Write(p, L"BaseDir", m.BaseDir);
    WriteBool(p, L"Clipboard", m.Clipboard);
    WriteBool(p, L"MinToTray", m.MinToTray);
    Write(p, L"Language", m.Language);
    Write(p, L"ProxyMode", m.ProxyMode);
    Write(p, L"Proxy", m.Proxy);
    WriteBool(p, L"ScanOn", m.ScanOn);
    Write(p, L"ScanExe", m.ScanExe);
    Write(p, L"ScanArgs", m.ScanArgs);
    WriteBool(p, L"CheckUpdates", m.CheckUpdates);
    Write(p, L"LastUpdateCheck", m.LastUpdateCheck);
    Write(p, L"SkipVersion", m.SkipVersion);
    WriteBool(p, L"Sound", m.Sound);
    Write(p, L"MaxPerServer", m.MaxPerServer);
    Write(p, L"PacUrl", m.PacUrl);
}

void LoadAllState(DownloadManager& m, const std::wstring& dataFolder) {
    m.ScanExe = DefaultScanExe();
    m.ScanArgs = DefaultScanArgs();
    LoadCategoriesLoginsAndLimits(m, dataFolder);
    m.BaseDir = KnownFolderPath(FOLDERID_Downloads);
    LoadSettings(m, SettingsPath(dataFolder));
    // An unreadable list.ini leaves the list empty; the load keeps a copy of the file.
    (void)LoadList(m, dataFolder);
}

}  // namespace vonu
