#include "tests/support/process.h"

#include "ui/resource.h"

#include "ui/main_window_search.h"
#include "app/version_repair.h"

namespace vonu::test {

Process& Process::operator=(Process&& o) noexcept {
    if (this != &o) {
        this->~Process();
        pi_ = o.pi_;
        o.pi_ = {};
    }
    return *this;
}

Process::~Process() {
    if (pi_.hThread) CloseHandle(pi_.hThread);
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    pi_ = {};
}

bool Process::WaitExit(DWORD milliseconds, DWORD* code) const {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, milliseconds) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(pi_.hProcess, code);
    return true;
}

void Process::Kill() {
    if (pi_.hProcess && !WaitExit(0)) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
}

std::wstring VonuExePath() { return ProgramFolder() + L"\\Vonu.exe"; }

std::wstring TurnOffStandInPath() { return ProgramFolder() + L"\\VonuTurnOffStandIn.exe"; }

Process StartVonu(const std::wstring& arguments) { return StartProgram(VonuExePath(), arguments); }

Process StartProgram(const std::wstring& exePath, const std::wstring& arguments) {
    std::wstring line = L"\"" + exePath + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    return Process(pi);
}

std::vector<HWND> MainWindows(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (!GetPropW(w, kMainWindowProperty)) return TRUE;
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (s->pid == 0 || owner == s->pid) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForMainWindow(DWORD pid, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        auto all = MainWindows(pid);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
    });
    return found;
}

bool ExitVonu(Process& vonu, HWND mainWindow, DWORD* code) {
    if (mainWindow) PostMessageW(mainWindow, WM_COMMAND, ID_APP_EXIT, 0);
    const bool exited = vonu.WaitExit(15000, code);
    if (!exited) vonu.Kill();
    return exited;
}

}  // namespace vonu::test
