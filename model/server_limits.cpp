#include "model/server_limits.h"

#include <windows.h>
#include <shlwapi.h>

#include <climits>
#include <mutex>

#include "model/decimal.h"
#include "model/whole_file_writer.h"
#include "model/win_error.h"

namespace vonu {
namespace {

constexpr DWORD kBufferChars = 65536;
constexpr wchar_t kSection[] = L"Main";
constexpr wchar_t kKey[] = L"ServerLimits";  // in settings.ini, beside the settings

}  // namespace

std::vector<ServerLimit> ParseServerLimits(std::wstring_view text) {
    std::vector<ServerLimit> limits;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L';', pos);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view piece = text.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = piece.rfind(L'=');
        if (eq == std::wstring_view::npos) continue;
        int64_t limit = SignedLeading(piece.substr(eq + 1)).value_or(0);
        limits.push_back({std::wstring(piece.substr(0, eq)),
                          static_cast<int32_t>(limit < 1 ? 1 : limit > 32 ? 32 : limit)});
    }
    return limits;
}

std::wstring FormatServerLimits(const std::vector<ServerLimit>& limits) {
    std::wstring text;
    for (const ServerLimit& l : limits) {
        if (!text.empty()) text.push_back(L';');
        // The separators and line ends cannot be part of a host: they would split the entry.
        for (wchar_t c : l.host) text.push_back(c == L';' || c == L'\r' || c == L'\n' ? L' ' : c);
        text += L"=" + std::to_wstring(l.limit);
    }
    return text;
}

std::vector<ServerLimit> CopyServerLimits(DownloadManager& m) {
    std::lock_guard guard(m.categoryLock);
    return m.serverLimits;
}

void ReplaceServerLimits(DownloadManager& m, std::vector<ServerLimit> limits) {
    std::lock_guard guard(m.categoryLock);
    m.serverLimits = std::move(limits);
}

void LoadServerLimitsLocked(DownloadManager& m, const std::wstring& settingsPath) {
    std::wstring buffer(kBufferChars, L'\0');
    DWORD n = GetPrivateProfileStringW(kSection, kKey, L"", buffer.data(), kBufferChars,
                                       settingsPath.c_str());
    buffer.resize(n);
    if (n == kBufferChars - 1) {
        // Cut to fit: the last entry may have lost digits of its limit, so drop it.
        size_t last = buffer.rfind(L';');
        buffer.resize(last == std::wstring::npos ? 0 : last);
    }
    m.serverLimits = ParseServerLimits(buffer);
}

WriteResult SaveServerLimits(const std::wstring& settingsPath, const std::wstring& value) {
    if (!PathFileExistsW(settingsPath.c_str())) {
        WriteResult created = WriteWholeFile(settingsPath, L"[Main]\r\n");
        if (!created.ok) return created;
    }
    if (!WritePrivateProfileStringW(kSection, kKey, value.c_str(), settingsPath.c_str()))
        return {false, L"Cannot write " + settingsPath + L": " + SystemErrorText(GetLastError())};
    return {true, {}};
}

}  // namespace vonu
