#include "setup/install_folder.h"

#include <windows.h>
#include <knownfolders.h>

#include <cstdio>
#include <vector>

#include "model/data_folder.h"
#include "model/device_names.h"
#include "model/text_case.h"

namespace vonu {
namespace {

constexpr wchar_t kNotFull[] =
    L"Type the full path of a folder, starting with a drive (C:\\) or a network share (\\\\server\\share).";
constexpr wchar_t kBadCharacter[] = L"A folder name cannot contain \" < > | * ? or :.";
constexpr wchar_t kBadName[] = L"A folder name cannot be a device name such as CON or NUL, or end with a dot or a space.";
constexpr wchar_t kTooLong[] = L"This path is too long for Vonu's files. Choose a shorter one.";
constexpr wchar_t kFileInTheWay[] = L"A file of this name is in the way. Choose another folder.";

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::vector<std::wstring> Split(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find(L'\\', start);
        parts.push_back(text.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start));
        if (slash == std::wstring::npos) return parts;
        start = slash + 1;
    }
}

// Length of the root ("C:\" or "\\server\share"), 0 when the text starts with neither.
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t serverEnd = path.find(L'\\', 2);
        if (serverEnd == std::wstring::npos || serverEnd == 2) return 0;
        const size_t shareEnd = path.find(L'\\', serverEnd + 1);
        const size_t end = shareEnd == std::wstring::npos ? path.size() : shareEnd;
        if (end == serverEnd + 1) return 0;
        return end;
    }
    return 0;
}

}  // namespace

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return {};
    return buffer;
}

std::wstring RecordedInstallFolder() { return RegistryText(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation"); }

std::wstring DefaultInstallFolder() {
    const std::wstring recorded = RecordedInstallFolder();
    if (!recorded.empty()) return recorded;
    // The per-user program files folder is LocalAppData\Programs; a system that cannot name it
    // (Wine has no such known folder) gets that same place, never a path without a drive.
    std::wstring programs = KnownFolderPath(FOLDERID_UserProgramFiles);
    if (programs.empty()) {
        const std::wstring local = KnownFolderPath(FOLDERID_LocalAppData);
        if (!local.empty()) programs = local + L"\\Programs";
    }
    return programs + L"\\Vonu";
}

FolderCheck CheckInstallFolder(const std::wstring& typed, size_t longestName) {
    std::wstring text = typed;
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    while (!text.empty() && (text.back() == L'\\' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return {};
    if (text.size() >= MAX_PATH) return {false, {}, kTooLong};
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) return {false, {}, kNotFull};
    const size_t root = RootLength(text);
    if (root == 0 || root >= text.size()) return {false, {}, kNotFull};
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < 0x20 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'*' || c == L'?' ||
            (c == L':' && i != 1))
            return {false, {}, kBadCharacter};
    }
    // Windows quietly drops a trailing dot or space from a name and opens a device for "NUL":
    // either would install somewhere other than the folder shown.
    for (const std::wstring& part : Split(text.substr(root))) {
        if (part.empty() || part == L"." || part == L"..") continue;
        if (part.back() == L'.' || part.back() == L' ') return {false, {}, kBadName};
        std::wstring base = part.substr(0, part.find(L'.'));
        while (!base.empty() && base.back() == L' ') base.pop_back();
        if (IsDeviceName(base)) return {false, {}, kBadName};
    }
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(text.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return {false, {}, kTooLong};
    std::wstring folder(full, n);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    // ".." may have climbed to the root itself: that is no folder of its own.
    if (RootLength(folder) == 0 || RootLength(folder) >= folder.size()) return {false, {}, kNotFull};
    if (folder.size() + 1 + longestName >= MAX_PATH) return {false, {}, kTooLong};
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {false, {}, kFileInTheWay};
    return {true, folder, {}};
}

std::wstring WithVonuFolder(const std::wstring& chosen) {
    std::wstring folder = chosen;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    const size_t slash = folder.rfind(L'\\');
    const std::wstring last = slash == std::wstring::npos ? folder : folder.substr(slash + 1);
    if (EqualsNoCase(last, L"Vonu")) return folder;
    return folder + (folder.ends_with(L'\\') ? L"Vonu" : L"\\Vonu");
}

std::wstring SpaceText(uint64_t bytes, bool arabic) {
    const bool gigabytes = bytes >= 1073741824ull;
    const double value = static_cast<double>(bytes) / (gigabytes ? 1073741824.0 : 1048576.0);
    wchar_t text[64];
    if (arabic)
        _snwprintf(text, 64, gigabytes ? L"\u200F%.1f ج.ب" : L"\u200F%.1f م.ب", value);
    else
        _snwprintf(text, 64, gigabytes ? L"%.1f GB" : L"%.1f MB", value);
    text[63] = L'\0';
    return text;
}

std::optional<uint64_t> FreeSpaceFor(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty()) {
        ULARGE_INTEGER free{};
        // The root itself needs its backslash ("C:" alone is the drive's current folder).
        const std::wstring asked = path.size() == 2 && path[1] == L':' ? path + L"\\" : path;
        if (GetDiskFreeSpaceExW(asked.c_str(), &free, nullptr, nullptr)) return free.QuadPart;
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        path.resize(slash);
    }
    return std::nullopt;
}

}  // namespace vonu
