// Asking Windows to end the session and turn the computer off, the last step of a queue's
// "Turn off computer" end action. One definition per program, chosen at link time: Vonu.exe
// links app/system_shutdown.cpp, which enables SeShutdownPrivilege for the process (a failure
// is ignored: the request is made anyway) and calls ExitWindowsEx. Every test program and
// benchmark links tests/support/shutdown_standin.cpp instead, which only records the request,
// so nothing but the real program can turn a computer off. User-interface thread.
#pragma once

#include <windows.h>

namespace vonu {

// The request a queue's turn-off makes: shut down and power off, as a planned shutdown.
inline constexpr UINT kTurnOffFlags = EWX_SHUTDOWN | EWX_POWEROFF;
inline constexpr DWORD kTurnOffReason = SHTDN_REASON_FLAG_PLANNED;

// False when Windows refused the request (the program ends either way).
bool RequestSystemShutdown(UINT flags, DWORD reason);

}  // namespace vonu
