#include "model/run_entry.h"

#include <windows.h>

#include <vector>

#include "model/text_case.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

constexpr DWORD kMaxCommandChars = 32767;

RegKey OpenRunKey(REGSAM access) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, access, &raw) != ERROR_SUCCESS) return RegKey();
    return RegKey(raw);
}

}  // namespace

std::wstring RunEntryCommand(std::wstring_view programPath) {
    std::wstring command = L"\"";
    command += programPath;
    command += L"\" /tray";
    return command;
}

std::wstring ProgramOfRunCommand(std::wstring_view command) {
    if (command.empty()) return {};
    if (command.front() == L'"') {
        const size_t close = command.find(L'"', 1);
        if (close == std::wstring_view::npos) return {};
        return std::wstring(command.substr(1, close - 1));
    }
    return std::wstring(command.substr(0, command.find(L' ')));
}

std::optional<std::wstring> ReadRunEntry() {
    RegKey key = OpenRunKey(KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > (kMaxCommandChars + 1) * sizeof(wchar_t))
        return std::nullopt;
    // One spare character: a stored string need not end with its terminator.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &got) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

bool WriteRunEntry(std::wstring_view programPath) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegKey key(raw);
    const std::wstring command = RunEntryCommand(programPath);
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool DeleteRunEntry() {
    RegKey key = OpenRunKey(KEY_SET_VALUE);
    if (!key) return true;  // no Run key, so no entry
    const LSTATUS status = RegDeleteValueW(key.get(), kRunValueName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DeleteRunEntryInFolder(std::wstring_view folder) {
    const std::optional<std::wstring> command = ReadRunEntry();
    if (!command || !PathIsInFolder(ProgramOfRunCommand(*command), folder)) return true;
    return DeleteRunEntry();
}

}  // namespace vonu
