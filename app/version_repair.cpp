#include "app/version_repair.h"

#include <vector>

#include "model/text_case.h"
#include "model/unique_handle.h"
#include "model/version.h"

namespace vonu {

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFolder() {
    std::wstring path = ProgramPath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void RepairDisplayVersion(HKEY root, const wchar_t* subKey, const std::wstring& programFolder) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
    RegKey key(raw);
    wchar_t location[260 + 1] = {};  // 520 bytes, plus room for a terminator the value may lack
    DWORD bytes = 520;
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"InstallLocation", nullptr, &type,
                         reinterpret_cast<BYTE*>(location), &bytes) != ERROR_SUCCESS)
        return;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    location[bytes / sizeof(wchar_t)] = L'\0';
    if (!EqualsNoCase(location, programFolder)) return;
    RegSetValueExW(key.get(), L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVersion),
                   sizeof kVersion);
}

}  // namespace vonu
