#include "engine/temp_file.h"

#include <windows.h>
#include <shlobj.h>
#include <winioctl.h>

#include "engine/http_errors.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool Fail(std::wstring& error, DWORD code) {
    error = L"Cannot create the file: " + ErrorTextFor(code);
    return false;
}

}  // namespace

bool CreateTemporaryFile(const std::wstring& tempPath, int64_t size, std::wstring& error) {
    const std::wstring folder = FolderOf(tempPath);
    if (!folder.empty()) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);

    FileHandle file(CreateFileW(tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail(error, GetLastError());
    if (size <= 0) return true;

    DWORD returned = 0;
    const bool sparse = DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    if (sparse && !folder.empty()) {
        // A sparse file takes its clusters only as they are written: make sure they exist.
        ULARGE_INTEGER available{};
        if (GetDiskFreeSpaceExW((folder + L"\\").c_str(), &available, nullptr, nullptr) &&
            available.QuadPart < static_cast<uint64_t>(size)) {
            file.reset();
            DeleteFileW(tempPath.c_str());
            return Fail(error, ERROR_DISK_FULL);
        }
    }
    LARGE_INTEGER end;
    end.QuadPart = size;
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
        const DWORD code = GetLastError();
        file.reset();
        DeleteFileW(tempPath.c_str());
        return Fail(error, code);
    }
    return true;
}

void ClearSparseMark(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE)) return;
    FILE_SET_SPARSE_BUFFER off{FALSE};
    DWORD returned = 0;
    DeviceIoControl(file.get(), FSCTL_SET_SPARSE, &off, sizeof off, nullptr, 0, &returned, nullptr);
}

int64_t FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace vonu
