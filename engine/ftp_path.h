// How one FTP control connection names the download's file to the server.
//
// Servers that follow RFC 2640 (vsftpd, proftpd, pyftpdlib and most servers today) read paths
// as UTF-8, but WinINet's wide FTP functions turn a path into the ANSI code page first, and
// those servers then know no such file. So the path goes out as its UTF-8 bytes through
// WinINet's ANSI functions, after "OPTS UTF8 ON" (a refusal is no failure). A server that
// refused UTF-8 and answers 550 for the UTF-8 name is asked once more with the name in the
// ANSI code page, as older servers (on Windows, say) keep it; from then on that connection
// uses the form the server knew. The probe and every segment connection follow this rule.
// One FtpPath per control connection, used only by the thread that owns the connection.
#pragma once

#include <cstdint>
#include <string>

namespace vonu {

struct FtpPath {
    std::string utf8;         // the decoded path's UTF-8 bytes
    std::string ansi;         // its ANSI code page bytes; empty when no other exact form exists
    bool serverUtf8 = false;  // the server accepted "OPTS UTF8 ON"
    bool useAnsi = false;     // this connection found the file under the ANSI form

    // The bytes the connection names the file with now.
    const std::string& Bytes() const { return useAnsi ? ansi : utf8; }
};

// Sends "OPTS UTF8 ON" on a freshly logged-in connection and prepares both forms of `path`.
FtpPath StartFtpPath(void* connection, const std::wstring& path);

// Sends `verb` + " " + the path (SIZE, say), with the ANSI retry described above. True: the
// server accepted it and `reply` holds its reply; false: `error` holds FtpErrorText's sentence.
[[nodiscard]] bool FtpPathCommand(void* connection, FtpPath& path, const char* verb, std::wstring& reply,
                                  std::wstring& error);

// Opens the file for reading in binary (reload, no cache copy), first sending "REST " +
// `restAt` when that is above 0; the ANSI retry sends the REST again, since a refused RETR
// ends the restart marker. The file handle (HINTERNET), or null with `error` holding the
// sentence of the REST or open that failed.
void* FtpOpenPath(void* connection, FtpPath& path, int64_t restAt, std::wstring& error);

}  // namespace vonu
