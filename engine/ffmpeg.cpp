#include "engine/ffmpeg.h"

#include <windows.h>

#include <vector>

namespace vonu {

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring FindFfmpeg() {
    std::vector<wchar_t> module(32768);
    const DWORD n = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (n > 0 && n < module.size()) {
        std::wstring folder(module.data(), n);
        const size_t slash = folder.rfind(L'\\');
        if (slash != std::wstring::npos) {
            const std::wstring candidate = folder.substr(0, slash + 1) + L"ffmpeg.exe";
            if (IsFile(candidate)) return candidate;
        }
    }

    std::vector<wchar_t> buffer(32767);
    const DWORD length = GetEnvironmentVariableW(L"PATH", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return {};  // a longer PATH counts as empty
    const std::wstring path(buffer.data(), length);
    size_t from = 0;
    while (from <= path.size()) {
        size_t end = path.find(L';', from);
        if (end == std::wstring::npos) end = path.size();
        std::wstring entry;
        for (size_t i = from; i < end; ++i)
            if (path[i] != L'"') entry += path[i];
        from = end + 1;
        if (entry.size() < 3 || entry[1] != L':' || (entry[2] != L'\\' && entry[2] != L'/')) continue;
        if (entry.back() != L'\\' && entry.back() != L'/') entry += L'\\';
        entry += L"ffmpeg.exe";
        if (IsFile(entry)) return entry;
    }
    return {};
}

std::wstring RemuxCommandLine(const std::wstring& ffmpeg, const std::wstring& input, const std::wstring& output) {
    return L"\"" + ffmpeg + L"\" -y -loglevel error -i \"" + input + L"\" -c copy -bsf:a aac_adtstoasc -f mp4 \"" +
           output + L"\"";
}

}  // namespace vonu
