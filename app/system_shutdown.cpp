// Linked into Vonu.exe only (see ui/system_shutdown.h); never into a test program.
#include "ui/system_shutdown.h"

#include "model/unique_handle.h"

namespace vonu {
namespace {

// A restricted account may not hold the privilege; ExitWindowsEx then refuses, and the
// caller ends the program anyway.
void EnableShutdownPrivilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    const KernelHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

bool RequestSystemShutdown(UINT flags, DWORD reason) {
    EnableShutdownPrivilege();
    return ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace vonu
