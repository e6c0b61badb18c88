// Stand-in for an antivirus command-line scanner (Microsoft Defender's MpCmdRun.exe cannot
// run here). It records the command line it was given in "<its own path>.args" and exits with
// the code in the environment variable VONU_STANDIN_EXIT (0 when unset). With
// VONU_STANDIN_SLEEP_MS set it first sleeps that long, to play a scanner that hangs.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring line = GetCommandLineW();
    HANDLE out = CreateFileW((std::wstring(self) + L".args").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(out, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(out);
    }
    if (const wchar_t* ms = _wgetenv(L"VONU_STANDIN_SLEEP_MS")) Sleep(static_cast<DWORD>(_wtoi(ms)));
    const wchar_t* code = _wgetenv(L"VONU_STANDIN_EXIT");
    return code ? _wtoi(code) : 0;
}
