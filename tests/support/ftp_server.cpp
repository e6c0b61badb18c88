#include "tests/support/ftp_server.h"

#include <cstdlib>
#include <fstream>
#include <map>

namespace vonu::test {

namespace {

std::wstring WindowsPath(const std::string& unix) {
    std::wstring path(unix.begin(), unix.end());
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

FtpServerInfo Load() {
    FtpServerInfo s;
    const wchar_t* file = _wgetenv(L"VONU_FTP_SERVER");
    if (!file || !*file) {
        s.error = L"VONU_FTP_SERVER is not set: run the test through ctest (ftp_server fixture)";
        return s;
    }
    std::ifstream in(file);
    if (!in) {
        s.error = std::wstring(L"cannot read ") + file;
        return s;
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "FTP_PORT") s.port = std::atoi(value.c_str());
        if (key == "FTP_NOREST_PORT") s.noRestPort = std::atoi(value.c_str());
        if (key == "FTP_SLOW_PORT") s.slowPort = std::atoi(value.c_str());
        if (key == "FTP_ROOT") s.root = WindowsPath(value);
        if (key == "FTP_LOG") s.log = WindowsPath(value);
    }
    s.ok = s.port && s.noRestPort && s.slowPort && !s.root.empty() && !s.log.empty();
    if (!s.ok) s.error = std::wstring(L"incomplete ports file ") + file;
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
