#include "engine/ftp_address.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "model/decimal.h"
#include "model/download_manager.h"
#include "model/hosts.h"

namespace vonu {

namespace {

constexpr DWORD kHostCap = 256;
constexpr DWORD kPathCap = 2048;
constexpr DWORD kUserCap = 256;
constexpr DWORD kPasswordCap = 256;

// %XX escapes of one part, read as UTF-8 when they form it, else as single bytes. Each part
// is decoded on its own, after the split, so an escaped "@", ":" or "/" stays inside its
// part (Wine's InternetCrackUrlW decodes the whole address first with ICU_DECODE, and an
// escaped "@" in a password then moves the host).
std::wstring DecodePart(const std::wstring& part) {
    if (part.find(L'%') == std::wstring::npos) return part;
    std::wstring out;
    std::string bytes;
    auto flush = [&] {
        if (bytes.empty()) return;
        const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, 0);
        if (n > 0) {
            std::wstring wide(static_cast<size_t>(n), L'\0');
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                wide.data(), n);
            out += wide;
        } else {
            for (char b : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(b));
        }
        bytes.clear();
    };
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] == L'%' && i + 2 < part.size() && HexDigitValue(part[i + 1]) >= 0 &&
            HexDigitValue(part[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigitValue(part[i + 1]) * 16 + HexDigitValue(part[i + 2]));
            i += 2;
            continue;
        }
        flush();
        out += part[i];
    }
    flush();
    return out;
}

bool HasControlCharacter(const std::wstring& text) {
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

bool ParseFtpAddress(DownloadManager& m, const std::wstring& address, FtpAddress& out) {
    out = FtpAddress{};
    // One character more than each cap for the terminating NUL.
    std::vector<wchar_t> host(kHostCap + 1), path(kPathCap + 1), user(kUserCap + 1),
        password(kPasswordCap + 1);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = kHostCap + 1;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = kPathCap + 1;
    parts.lpszUserName = user.data();
    parts.dwUserNameLength = kUserCap + 1;
    parts.lpszPassword = password.data();
    parts.dwPasswordLength = kPasswordCap + 1;
    if (address.empty() || !InternetCrackUrlW(address.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_FTP) return false;

    out.host = DecodePart(std::wstring(host.data(), parts.dwHostNameLength));
    out.path = DecodePart(std::wstring(path.data(), parts.dwUrlPathLength));
    out.user = DecodePart(std::wstring(user.data(), parts.dwUserNameLength));
    out.password = DecodePart(std::wstring(password.data(), parts.dwPasswordLength));
    out.port = parts.nPort == 0 ? INTERNET_DEFAULT_FTP_PORT : parts.nPort;

    if (out.user.empty()) {
        if (auto login = LoginForHost(m, out.host)) {
            out.user = login->user;
            out.password = login->password;
        }
        if (out.user.empty()) {
            out.user = L"anonymous";
            out.password = L"vonu@";
        }
    }
    if (HasControlCharacter(out.host) || HasControlCharacter(out.path) || HasControlCharacter(out.user) ||
        HasControlCharacter(out.password))
        return false;
    // "/" alone names the server's top folder, never a file.
    return !out.host.empty() && !out.path.empty() && out.path != L"/";
}

}  // namespace vonu
