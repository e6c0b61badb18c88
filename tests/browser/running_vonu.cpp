#include "tests/browser/running_vonu.h"

#include <windows.h>

#include <vector>

#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "ui/resource.h"

namespace vonu::test {

bool ExitRunningVonu() {
    const std::vector<HWND> mains = MainWindows();
    if (mains.empty()) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(mains.front(), &pid);
    CancelOpenDialogs(pid, 12);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(mains.front(), WM_COMMAND, ID_APP_EXIT, 0);
    if (!process) return WaitUntil(15000, [] { return MainWindows().empty(); });
    const bool ended = WaitForSingleObject(process, 15000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process, 99);
    CloseHandle(process);
    return ended;
}

}  // namespace vonu::test
