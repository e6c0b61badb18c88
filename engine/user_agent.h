// The program's own user agent, sent by the HTTP session and the FTP session alike (a file
// of its own because winhttp.h and wininet.h cannot meet in one translation unit).
#pragma once

namespace vonu {

inline constexpr wchar_t kUserAgent[] = L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) Vonu/1.0";

}  // namespace vonu
