#include "tests/support/ftp_server.h"

#include "tests/support/ports_file.h"

#include <cstdlib>
#include <fstream>
#include <map>

namespace vonu::test {

namespace {

FtpServerInfo Load() {
    FtpServerInfo s;
    const PortsFile file = ReadPortsFile(L"VONU_FTP_SERVER", L"ftp_server");
    if (!file.error.empty()) {
        s.error = file.error;
        return s;
    }
    s.port = file.Port("FTP_PORT");
    s.noRestPort = file.Port("FTP_NOREST_PORT");
    s.slowPort = file.Port("FTP_SLOW_PORT");
    s.latin1Port = file.Port("FTP_LATIN1_PORT");
    s.root = file.WindowsPath("FTP_ROOT");
    s.log = file.WindowsPath("FTP_LOG");
    s.ok = s.port && s.noRestPort && s.slowPort && s.latin1Port && !s.root.empty() && !s.log.empty();
    if (!s.ok) s.error = L"incomplete ports file " + file.path;
    return s;
}

}  // namespace

const FtpServerInfo& FtpServer() {
    static const FtpServerInfo info = Load();
    return info;
}

std::wstring FtpUrl(int port, const std::wstring& tag, const std::wstring& name, const std::wstring& login) {
    return L"ftp://" + (login.empty() ? std::wstring() : login + L"@") + L"127.0.0.1:" +
           std::to_wstring(port) + L"/t/" + tag + L"/" + name;
}

std::vector<FtpSessionLog> FtpSessionsWithTag(const std::wstring& tag) {
    // Log lines: "S<session> <server> <user> <command line>".
    const std::string needle(tag.begin(), tag.end());
    std::map<long, FtpSessionLog> sessions;
    std::map<long, bool> tagged;
    std::ifstream in(FtpServer().log.c_str());
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != 'S') continue;
        const size_t a = line.find(' '), b = a == std::string::npos ? a : line.find(' ', a + 1),
                     c = b == std::string::npos ? b : line.find(' ', b + 1);
        if (c == std::string::npos) continue;
        const long id = std::atol(line.c_str() + 1);
        FtpSessionLog& s = sessions[id];
        s.server = line.substr(a + 1, b - a - 1);
        std::string command = line.substr(c + 1);
        if (!command.empty() && command.back() == '\r') command.pop_back();
        if (command.find(needle) != std::string::npos) tagged[id] = true;
        s.commands.push_back(command);
    }
    std::vector<FtpSessionLog> out;
    for (auto& [id, s] : sessions)
        if (tagged[id]) out.push_back(std::move(s));
    return out;
}

std::vector<int64_t> RestOffsets(const std::wstring& tag) {
    std::vector<int64_t> offsets;
    for (const FtpSessionLog& s : FtpSessionsWithTag(tag))
        for (const std::string& command : s.commands)
            if (command.rfind("REST ", 0) == 0) offsets.push_back(std::atoll(command.c_str() + 5));
    return offsets;
}

}  // namespace vonu::test
