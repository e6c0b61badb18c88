// Starting the real Vonu.exe from a test and finding its windows, as a user's second start,
// the native messaging host or the setup program would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vonu::test {

class Process {
public:
    Process() = default;
    explicit Process(const PROCESS_INFORMATION& pi) : pi_(pi) {}
    Process(Process&& o) noexcept : pi_(o.pi_) { o.pi_ = {}; }
    Process& operator=(Process&& o) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    bool started() const { return pi_.hProcess != nullptr; }
    DWORD id() const { return pi_.dwProcessId; }
    // True when the process ended within the time; its exit code goes to *code.
    bool WaitExit(DWORD milliseconds, DWORD* code = nullptr) const;
    // Ends a process a failed test left behind.
    void Kill();

private:
    PROCESS_INFORMATION pi_{};
};

std::wstring VonuExePath();
Process StartVonu(const std::wstring& arguments);
// Vonu.exe built with the shutdown request's stand-in (support/shutdown_standin.cpp), for the
// tests of the "Turn off computer" end action; it records to VONU_SHUTDOWN_RECORD.
std::wstring TurnOffStandInPath();
Process StartProgram(const std::wstring& exePath, const std::wstring& arguments);

// Top-level windows carrying the VonuMainWindow property, of any process or of `pid`.
std::vector<HWND> MainWindows(DWORD pid = 0);
// Polls every 50 ms; null when none appeared in time.
HWND WaitForMainWindow(DWORD pid, DWORD milliseconds);

// Asks Vonu to exit as the setup program does (the Exit command posted to `mainWindow`, when
// there is one) and waits up to 15 s; a process still running then is ended. True when it
// exited by itself, with its exit code in *code.
bool ExitVonu(Process& vonu, HWND mainWindow, DWORD* code = nullptr);

// Polls `condition` every 50 ms until it holds or the time is up.
template <typename F>
bool WaitUntil(DWORD milliseconds, F condition) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

}  // namespace vonu::test
