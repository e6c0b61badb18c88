#include "update/update_install.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "engine/fetch.h"
#include "model/text_case.h"
#include "model/unique_handle.h"
#include "update/update_signature.h"

namespace vonu {
namespace {

std::wstring RunningExecutable() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

bool MatchesOffer(std::string_view bytes, const std::wstring& sha256, int64_t size) {
    if (static_cast<int64_t>(bytes.size()) != size) return false;
    const std::optional<std::array<uint8_t, 32>> digest = Sha256(bytes);
    return digest && EqualsNoCase(HexDigest(*digest), sha256);
}

// The whole file through a handle that is already open.
std::optional<std::string> ReadAll(HANDLE file, int64_t limit) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > limit) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool PutBack(const std::wstring& oldPath, const std::wstring& exePath) {
    return MoveFileExW(oldPath.c_str(), exePath.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace

std::wstring OldProgramPath(const std::wstring& exePath) {
    const size_t slash = exePath.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const size_t dot = exePath.rfind(L'.');
    const size_t cut = dot != std::wstring::npos && dot >= nameStart ? dot : exePath.size();
    return exePath.substr(0, cut) + L".old.exe";
}

std::wstring OldProgramPath() { return OldProgramPath(RunningExecutable()); }

std::wstring NewProgramPath(const std::wstring& version) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder(temp, n <= MAX_PATH ? n : 0);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + L"Vonu-" + version + L".exe";
}

bool DownloadUpdateFile(const UpdateResult& offer, DownloadItem& item, std::atomic<int64_t>& received,
                        std::atomic<int64_t>& contentLength, std::wstring& path, std::wstring& error) {
    path.clear();
    std::string bytes;
    if (!FetchUpdateFile(item, offer.exe, bytes, received, contentLength, error)) return false;
    if (!MatchesOffer(bytes, offer.sha256, offer.size)) {
        error = L"The downloaded file is damaged. Try again.";
        return false;
    }
    // The version went through the signature check, which takes digits and dots only.
    const std::wstring target = NewProgramPath(offer.version);
    FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"Cannot write to disk";
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    file.reset();
    if (!whole) {
        DeleteFileW(target.c_str());
        error = L"Cannot write to disk";
        return false;
    }
    path = target;
    return true;
}

bool SwapProgramFile(const std::wstring& exePath, const std::wstring& newFile, const std::wstring& sha256,
                     int64_t size, const std::wstring& arguments) {
    const std::wstring oldPath = OldProgramPath(exePath);
    DeleteFileW(oldPath.c_str());
    if (!MoveFileExW(exePath.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    if (!MoveFileExW(newFile.c_str(), exePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        PutBack(oldPath, exePath);
        return false;
    }
    // The file was closed and moved since it was checked: check it again through a handle
    // that lets nobody write, rename or delete it until the new process has started from it.
    FileHandle file(CreateFileW(exePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::optional<std::string> bytes = file ? ReadAll(file.get(), size) : std::nullopt;
    bool started = false;
    if (bytes && MatchesOffer(*bytes, sha256, size)) {
        std::wstring line = L"\"" + exePath + L"\"" + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        started = CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process) != FALSE;
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    file.reset();
    if (started) return true;
    PutBack(oldPath, exePath);
    return false;
}

bool SwapAndRestart(const UpdateResult& offer, const std::wstring& newFile) {
    return SwapProgramFile(RunningExecutable(), newFile, offer.sha256, offer.size, L" /restart /updated");
}

}  // namespace vonu
