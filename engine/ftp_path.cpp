#include "engine/ftp_path.h"

#include <windows.h>
#include <wininet.h>

#include "engine/ftp_session.h"
#include "model/text_encoding.h"

namespace vonu {

namespace {

// No cache copy: WinINet would otherwise keep a second copy of every download on the disk.
constexpr DWORD kOpenFlags = FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

// The path in the ANSI code page when that holds every character of it exactly and differs
// from the UTF-8 bytes; otherwise empty (there is no second name worth asking for).
std::string AnsiForm(const std::wstring& path, const std::string& utf8) {
    if (path.empty() || GetACP() == CP_UTF8) return std::string();  // the same bytes again
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(),
                                      static_cast<int>(path.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return std::string();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), static_cast<int>(path.size()), ansi.data(),
                        n, nullptr, &lossy);
    return lossy || ansi == utf8 ? std::string() : ansi;
}

// The server refused UTF-8 and did not know the file by its UTF-8 name: a second try with the
// ANSI name may find it. `error` is FtpErrorText's sentence, which carries a 550 reply.
bool WorthAnsiRetry(const FtpPath& path, const std::wstring& error) {
    return !path.serverUtf8 && !path.useAnsi && !path.ansi.empty() && error.rfind(L"FTP server: 550", 0) == 0;
}

HINTERNET RestAndOpen(HINTERNET connection, const FtpPath& path, int64_t restAt, std::wstring& error) {
    std::wstring reply;
    if (restAt > 0 && !FtpCommandReply(connection, "REST " + std::to_string(restAt), reply, error))
        return nullptr;
    HINTERNET file = FtpOpenFileA(connection, path.Bytes().c_str(), GENERIC_READ, kOpenFlags, 0);
    if (!file) error = FtpErrorText();
    return file;
}

}  // namespace

FtpPath StartFtpPath(void* connection, const std::wstring& path) {
    FtpPath out;
    out.utf8 = WideToUtf8(path);
    out.ansi = AnsiForm(path, out.utf8);
    std::wstring reply, ignored;
    out.serverUtf8 = FtpCommandReply(connection, "OPTS UTF8 ON", reply, ignored);
    return out;
}

bool FtpPathCommand(void* connection, FtpPath& path, const char* verb, std::wstring& reply,
                    std::wstring& error) {
    const std::string head = std::string(verb) + " ";
    if (FtpCommandReply(connection, head + path.Bytes(), reply, error)) return true;
    if (!WorthAnsiRetry(path, error)) return false;
    path.useAnsi = true;
    if (FtpCommandReply(connection, head + path.Bytes(), reply, error)) return true;
    path.useAnsi = false;  // unknown under both names: the next request starts from UTF-8 again
    return false;
}

void* FtpOpenPath(void* connection, FtpPath& path, int64_t restAt, std::wstring& error) {
    const HINTERNET c = static_cast<HINTERNET>(connection);
    if (HINTERNET file = RestAndOpen(c, path, restAt, error)) return file;
    if (!WorthAnsiRetry(path, error)) return nullptr;
    path.useAnsi = true;
    if (HINTERNET file = RestAndOpen(c, path, restAt, error)) return file;
    path.useAnsi = false;
    return nullptr;
}

}  // namespace vonu
