// Stand-in for the shutdown request (ui/system_shutdown.h), linked into every test program,
// benchmark and the test build of Vonu.exe in place of app/system_shutdown.cpp: a test must
// never turn the machine (or Wine's session) off. It enables no privilege and calls nothing
// in Windows; it appends "flags=<n> reason=<n>" to the file named by VONU_SHUTDOWN_RECORD and
// copies the list.ini of that moment beside it (<record>.list.ini), so a test can check both
// the request and that the downloads were stopped and saved before it. Without the variable
// it records nothing. Either way it answers that Windows took the request.
#include "ui/system_shutdown.h"

#include <string>

#include "model/data_folder.h"

namespace vonu {

bool RequestSystemShutdown(UINT flags, DWORD reason) {
    wchar_t record[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"VONU_SHUTDOWN_RECORD", record, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return true;
    const std::wstring path(record, n);
    CopyFileW(ListPath(DataFolder()).c_str(), (path + L".list.ini").c_str(), FALSE);
    const std::string line = "flags=" + std::to_string(flags) + " reason=" + std::to_string(reason) + "\r\n";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

}  // namespace vonu
