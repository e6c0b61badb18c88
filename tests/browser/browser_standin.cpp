// Stand-in for a browser's program file, for the integration dialog's tests: a browser that
// is not installed here cannot be started, so this one records the command line it was
// started with in a file beside itself (its own path + ".args", UTF-16) and exits.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring line = GetCommandLineW();
    HANDLE file = CreateFileW((std::wstring(self) + L".args").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
