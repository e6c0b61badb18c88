// ffmpeg.exe for the tests and the benchmark: a small Windows program that runs Debian's
// /usr/bin/ffmpeg with its own arguments and exits with ffmpeg's exit code.
//
// Why it exists: under Wine, CreateProcessW can start a Linux program but returns no
// process handle that can be waited on, so the program under test could not learn when
// ffmpeg ended or how. This adapter is a real Windows process (RunHidden waits for it). It
// writes a shell script that runs ffmpeg with the arguments (every "X:\..." path turned into
// its Unix path, which ffmpeg needs) and records the exit status in a file; it starts the
// script through /bin/sh in the background and polls for the status file.
// Copied under the name ffprobe.exe it runs /usr/bin/ffprobe instead. When VONU_FFMPEG_LOG
// names a file, the program's output (stdout and stderr) is also copied there, for tests.
// It is not part of the product: on Windows the real ffmpeg.exe stands in its place.
#include <windows.h>

#include <cstdio>
#include <string>

#include "model/text_encoding.h"

namespace {

using UnixNameFn = char*(CDECL*)(const wchar_t*);

std::string UnixPath(const std::wstring& windowsPath) {
    static auto convert = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return vonu::WideToUtf8(windowsPath);
    char* name = convert(windowsPath.c_str());
    if (!name) return vonu::WideToUtf8(windowsPath);
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool LooksLikeWindowsPath(const std::wstring& arg) {
    return arg.size() >= 3 && arg[1] == L':' && (arg[2] == L'\\' || arg[2] == L'/') &&
           ((arg[0] >= L'A' && arg[0] <= L'Z') || (arg[0] >= L'a' && arg[0] <= L'z'));
}

std::string ShellQuote(const std::string& text) {
    std::string out(1, '\'');
    for (char c : text) {
        if (c == '\'')
            out.append("'\\''");
        else
            out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(f);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(f);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, temp)) return 127;
    const std::wstring work = std::wstring(temp) + L"vonu-ffmpeg-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64());
    if (!CreateDirectoryW(work.c_str(), nullptr)) return 127;
    const std::string unixWork = UnixPath(work);

    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring selfName = self;
    const bool probe = selfName.size() >= 11 &&
                       CompareStringOrdinal(selfName.c_str() + selfName.size() - 11, 11, L"ffprobe.exe", 11, TRUE) == CSTR_EQUAL;
    std::string command = probe ? "/usr/bin/ffprobe" : "/usr/bin/ffmpeg";
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        command.push_back(' ');
        command.append(ShellQuote(LooksLikeWindowsPath(arg) ? UnixPath(arg) : vonu::WideToUtf8(arg)));
    }
    const std::string dir = ShellQuote(unixWork);
    const std::string script = "#!/bin/sh\ncd " + dir + " || exit 1\n" + command +
                               " </dev/null >log 2>&1\necho $? >status.tmp\nmv status.tmp status\n";
    if (!WriteAll(work + L"\\run.sh", script)) return 127;

    std::wstring line = L"/bin/sh " + vonu::Utf8ToWide(unixWork) + L"/run.sh";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return 127;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);

    const std::wstring status = work + L"\\status";
    int code = 126;
    for (ULONGLONG began = GetTickCount64(); GetTickCount64() - began < 1800000;) {
        if (GetFileAttributesW(status.c_str()) != INVALID_FILE_ATTRIBUTES) {
            code = std::atoi(ReadAll(status).c_str());
            break;
        }
        Sleep(5);
    }
    const std::string log = ReadAll(work + L"\\log");
    if (!log.empty()) fwrite(log.data(), 1, log.size(), stderr);
    wchar_t copyTo[MAX_PATH + 1] = {};
    if (GetEnvironmentVariableW(L"VONU_FFMPEG_LOG", copyTo, MAX_PATH + 1) > 0) WriteAll(copyTo, log);
    for (const wchar_t* name : {L"\\run.sh", L"\\log", L"\\status"}) DeleteFileW((work + name).c_str());
    RemoveDirectoryW(work.c_str());
    return code;
}
