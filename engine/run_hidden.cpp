#include "engine/run_hidden.h"

#include <windows.h>

#include "model/unique_handle.h"

namespace vonu {

int64_t RunHidden(const std::wstring& commandLine, uint32_t timeoutMs) {
    std::wstring line = commandLine;  // CreateProcessW may write into its command line
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return -1;
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);  // let it go before its handle is closed
        return -1;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) return -1;
    return static_cast<int64_t>(code);
}

}  // namespace vonu
