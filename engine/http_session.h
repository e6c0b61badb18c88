// The one process-wide WinHTTP session (synchronous) and the proxy it was opened with.
// OpenHttpSession runs on the user-interface thread (start-up, options confirmed); any
// thread may read the current handle. A replaced handle stays open until CloseHttpSession
// at exit, so requests that still run on it are never cut off.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

#include "engine/user_agent.h"
#include "model/unique_handle.h"

namespace vonu {

struct WinHttpHandleTraits {
    using Type = HINTERNET;
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::WinHttpCloseHandle(h); }
};
using WinHttpHandle = UniqueHandle<WinHttpHandleTraits>;

// Opens the session from the manager's ProxyMode, Proxy and PacUrl (0 automatic, 1 none,
// 2 the named proxy, 3 a configuration script resolved per request) with the time-outs
// 10 s resolve, 15 s connect, 20 s send, 30 s receive. When every attempt fails the
// previous handle stays.
void OpenHttpSession();

// The current session handle; null before the first successful open.
HINTERNET HttpSession();

// The configuration script address when the session was opened in mode 3, else empty.
std::wstring SessionPacUrl();

// Closes the current and every replaced handle. At process exit, after every request ended.
void CloseHttpSession();

}  // namespace vonu
