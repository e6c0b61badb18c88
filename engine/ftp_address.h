// An ftp:// address split into what a WinINet FTP login and transfer need. Any thread; the
// site-login lookup takes the category lock, so call it without holding that lock.
#pragma once

#include <windows.h>

#include <string>

#include "model/download_manager.h"

namespace vonu {

struct FtpAddress {
    std::wstring host;      // up to 256 characters
    std::wstring path;      // up to 2,048 characters, escapes decoded
    std::wstring user;      // up to 256
    std::wstring password;  // up to 256
    WORD port = 21;         // 21 when the address names none
};

// Splits the address (InternetCrackUrlW; then the escapes of each part are decoded, as
// UTF-8 where they form it). Without a user name in the address the first matching site
// login of `m` gives user and password, and without one the login is anonymous with the password
// "vonu@". Valid when the address is ftp://, has a host and a path other than "/" (the
// server's top folder is no file), every part fits its cap, and no part holds a control
// character: a decoded %0D%0A would otherwise end the command line and smuggle commands of
// its own to the server.
[[nodiscard]] bool ParseFtpAddress(DownloadManager& m, const std::wstring& address, FtpAddress& out);

}  // namespace vonu
