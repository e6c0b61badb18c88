#include "browser/program_file.h"

#include <windows.h>

namespace vonu {

std::wstring UncutProgramPath() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    // A full buffer means the path was cut (Windows also sets ERROR_INSUFFICIENT_BUFFER).
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(buffer, n);
}

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace vonu
