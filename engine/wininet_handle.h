// Closing a WinINet handle from code that includes winhttp.h (the two headers clash).
#pragma once

namespace vonu {

void CloseWinInetHandle(void* handle);  // InternetCloseHandle; null does nothing

}  // namespace vonu
