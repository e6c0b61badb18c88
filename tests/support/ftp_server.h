// The loopback FTP server of a ctest run (tests/servers/ftp_server.py): its ports, addresses
// on it, and the commands it received. Only for tests registered with vonu_test(... FTP).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vonu::test {

struct FtpServerInfo {
    int port = 0;        // an ordinary server: REST, SIZE, passive mode
    int noRestPort = 0;  // refuses REST
    int slowPort = 0;    // sends data at 256 KB/s per transfer
    int latin1Port = 0;  // refuses "OPTS UTF8 ON" and reads paths as Latin-1
    std::wstring root;   // the folder it serves, as a Windows path (Z:\...)
    std::wstring log;    // its command log, as a Windows path
    bool ok = false;     // false: VONU_FTP_SERVER is missing or its file unreadable
    std::wstring error;
};

// Read once from the file VONU_FTP_SERVER names.
const FtpServerInfo& FtpServer();

// ftp://[login@]127.0.0.1:port/t/TAG/NAME: the server serves /NAME, and the tag in the path
// finds this request's sessions in the log. `login` is "user:password" or empty.
std::wstring FtpUrl(int port, const std::wstring& tag, const std::wstring& name,
                    const std::wstring& login = std::wstring());

// One session of the server's log: every command line it received, in order.
struct FtpSessionLog {
    std::string server;                 // "main", "norest", "slow" or "latin1"
    std::vector<std::string> commands;  // the bytes as received, e.g. "REST 5242880"
};

// Every session in which some command mentions `tag`, in the order they began.
std::vector<FtpSessionLog> FtpSessionsWithTag(const std::wstring& tag);

// The offsets of the REST commands of those sessions, in the order they were sent.
std::vector<int64_t> RestOffsets(const std::wstring& tag);

}  // namespace vonu::test
