#include "engine/wininet_handle.h"

#include <windows.h>
#include <wininet.h>

namespace vonu {

void CloseWinInetHandle(void* handle) {
    if (handle) InternetCloseHandle(handle);
}

}  // namespace vonu
