#include "model/settings.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlwapi.h>

#include <climits>
#include <cwctype>
#include <mutex>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

#include "model/data_folder.h"
#include "model/decimal.h"
#include "model/ini_fields.h"
#include "model/list_file.h"
#include "model/user_lists.h"
#include "model/win_error.h"
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
    return SignedLeading(ReadString(path, key, 64));
}

// One key of [Main]. Numbers and flags take `fallback` when the key is absent or does not
// start with a number; text takes the stored value, or keeps the field's value when
// keepIfEmpty and the stored value is empty. Values longer than bufferChars are cut to fit,
// as the profile functions do.
struct SettingsField {
    IniField<DownloadManager> field;
    int64_t fallback = 0;
    size_t bufferChars = 1024;
    bool keepIfEmpty = false;
    bool written = true;  // UpdateUrl is read only; the user never sets it here
};

using M = DownloadManager;

// In the order the writer writes them.
const SettingsField kSettings[] = {
    {{L"MaxConn", &M::MaxConn, 1, 32}, 8},
    {{L"MaxActive", &M::MaxActive, 1, 10}, 3},
    {{L"SpeedLimitKB", &M::SpeedLimitKB, INT32_MIN, INT32_MAX}, 0},
    {{L"LimiterOn", &M::LimiterOn}, 0},
    {{L"ShowProgress", &M::ShowProgress}, 1},
    {{L"ShowComplete", &M::ShowComplete}, 1},
    {{L"BaseDir", &M::BaseDir}, 0, 520, true},
    {{L"Clipboard", &M::Clipboard}, 1},
    {{L"MinToTray", &M::MinToTray}, 1},
    {{L"Language", &M::Language}},
    {{L"ProxyMode", &M::ProxyMode, 0, 3}, 0},
    {{L"Proxy", &M::Proxy}},
    {{L"ScanOn", &M::ScanOn}, 0},
    {{L"ScanExe", &M::ScanExe}, 0, 1024, true},
    {{L"ScanArgs", &M::ScanArgs}, 0, 1024, true},
    {{L"CheckUpdates", &M::CheckUpdates}, 1},
    {{L"LastUpdateCheck", &M::LastUpdateCheck}, 0},
    {{L"SkipVersion", &M::SkipVersion}},
    {{L"Sound", &M::Sound}, 0},
    {{L"MaxPerServer", &M::MaxPerServer, 0, 32}, 0},
    {{L"PacUrl", &M::PacUrl}},
    {{L"UpdateUrl", &M::UpdateUrl}, 0, 1024, false, false},
};

void ReadSetting(DownloadManager& m, const std::wstring& path, const SettingsField& s) {
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(m.*member)>;
            T& v = m.*member;
            if constexpr (std::is_same_v<T, std::wstring>) {
                std::wstring text = ReadString(path, s.field.key, s.bufferChars);
                if (!text.empty() || !s.keepIfEmpty) v = std::move(text);
            } else if constexpr (std::is_same_v<T, bool>) {
                v = ReadNumber(path, s.field.key).value_or(s.fallback) != 0;
            } else if constexpr (std::is_integral_v<T>) {
                const int64_t n = ReadNumber(path, s.field.key).value_or(s.fallback);
                v = static_cast<T>(ClampNumber(n, s.field.lo, s.field.hi));
            }
        },
        s.field.member);
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
    for (const SettingsField& s : kSettings) ReadSetting(m, p, s);
}

std::wstring ProfileValue(std::wstring_view value) {
    const auto quoted = [&](wchar_t q) { return value.size() >= 2 && value.front() == q && value.back() == q; };
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    if (quoted(L'"') || quoted(L'\'') || (!value.empty() && (blank(value.front()) || blank(value.back()))))
        return L"\"" + std::wstring(value) + L"\"";
    return std::wstring(value);
}

WriteResult SaveSettings(const DownloadManager& m, const std::wstring& p) {
    // Without a byte-order mark the profile functions would write an ANSI file, losing
    // every non-ANSI character (an Arabic folder name, say). If even that fails, write
    // nothing rather than an ANSI file.
    if (!PathFileExistsW(p.c_str())) {
        WriteResult created = WriteWholeFile(p, L"[Main]\r\n");
        if (!created.ok) return created;
    }
    WriteResult result{true, {}};
    std::wstring value;
    for (const SettingsField& s : kSettings) {
        if (!s.written) continue;
        value.clear();
        AppendIniValue(value, m, s.field);
        if (std::holds_alternative<std::wstring DownloadManager::*>(s.field.member)) value = ProfileValue(value);
        if (!WritePrivateProfileStringW(kSection, s.field.key, value.c_str(), p.c_str()) && result.ok)
            result = {false, L"Cannot write " + p + L": " + SystemErrorText(GetLastError())};
    }
    return result;
}

EditedSettings CurrentSettings(const DownloadManager& m) {
    EditedSettings e;
    e.MaxConn = m.MaxConn;
    e.MaxActive = m.MaxActive;
    e.LimiterOn = m.LimiterOn;
    e.SpeedLimitKB = m.SpeedLimitKB;
    e.MaxPerServer = m.MaxPerServer;
    e.BaseDir = m.BaseDir;
    e.ShowProgress = m.ShowProgress;
    e.ShowComplete = m.ShowComplete;
    e.Clipboard = m.Clipboard;
    e.MinToTray = m.MinToTray;
    e.CheckUpdates = m.CheckUpdates;
    e.Sound = m.Sound;
    e.Language = m.Language;
    e.ProxyMode = m.ProxyMode;
    e.Proxy = m.Proxy;
    e.PacUrl = m.PacUrl;
    e.ScanOn = m.ScanOn;
    e.ScanExe = m.ScanExe;
    e.ScanArgs = m.ScanArgs;
    return e;
}

void StoreEditedSettings(DownloadManager& m, const EditedSettings& e) {
    {
        std::lock_guard guard(m.lock);
        m.MaxConn = e.MaxConn;
        m.MaxActive = e.MaxActive;
        m.ScanOn = e.ScanOn;
        m.ScanExe = e.ScanExe;
        m.ScanArgs = e.ScanArgs;
    }
    {
        std::lock_guard guard(m.categoryLock);
        m.BaseDir = e.BaseDir;
        m.MaxPerServer = e.MaxPerServer;
    }
    m.LimiterOn = e.LimiterOn;
    m.SpeedLimitKB = e.SpeedLimitKB;
    m.ShowProgress = e.ShowProgress;
    m.ShowComplete = e.ShowComplete;
    m.Clipboard = e.Clipboard;
    m.MinToTray = e.MinToTray;
    m.CheckUpdates = e.CheckUpdates;
    m.Sound = e.Sound;
    m.Language = e.Language;
    m.ProxyMode = e.ProxyMode;
    m.Proxy = e.Proxy;
    m.PacUrl = e.PacUrl;
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
