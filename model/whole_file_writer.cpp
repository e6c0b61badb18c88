#include "model/whole_file_writer.h"

#include <windows.h>

#include <initializer_list>

#include "model/unique_handle.h"
#include "model/win_error.h"

namespace vonu {
namespace {

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

// The parts are written one after another into path + ".tmp", which then replaces the file.
WriteResult WriteParts(const std::wstring& path, std::initializer_list<std::string_view> parts) {
    const std::wstring temp = path + L".tmp";
    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = GetLastError();
            return {false, L"Cannot create " + temp + L": " + SystemErrorText(error)};
        }
        bool written = true;
        for (std::string_view part : parts) written = written && WriteAll(file.get(), part.data(), part.size());
        if (!written || !FlushFileBuffers(file.get())) {
            error = GetLastError();
            if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
        }
        if (!CloseHandle(file.release()) && error == ERROR_SUCCESS) error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        // A short or failed write must never replace the good file.
        DeleteFileW(temp.c_str());
        return {false, L"Cannot write " + temp + L": " + SystemErrorText(error)};
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        DeleteFileW(temp.c_str());
        return {false, L"Cannot replace " + path + L": " + SystemErrorText(error)};
    }
    return {true, {}};
}

}  // namespace

WriteResult WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {false, L"Cannot create " + path + L": " + SystemErrorText(GetLastError())};
    DWORD error = ERROR_SUCCESS;
    if (!WriteAll(file.get(), bytes.data(), bytes.size()) || !FlushFileBuffers(file.get())) {
        error = GetLastError();
        if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
    }
    if (!CloseHandle(file.release()) && error == ERROR_SUCCESS) error = GetLastError();
    if (error == ERROR_SUCCESS) return {true, {}};
    DeleteFileW(path.c_str());
    return {false, L"Cannot write " + path + L": " + SystemErrorText(error)};
}

WriteResult WriteWholeFile(const std::wstring& path, std::wstring_view text) {
    static const char bom[2] = {'\xFF', '\xFE'};
    return WriteParts(path, {std::string_view(bom, sizeof bom),
                             std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))});
}

WriteResult WriteWholeFileBytes(const std::wstring& path, std::string_view bytes) {
    return WriteParts(path, {bytes});
}

}  // namespace vonu
