#include "tests/support/test_servers.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "model/text_encoding.h"
#include "tests/support/ports_file.h"

namespace vonu::test {

namespace {

TestServers Load() {
    TestServers s;
    const PortsFile file = ReadPortsFile(L"VONU_TEST_SERVERS", L"test_servers");
    if (!file.error.empty()) {
        s.error = file.error;
        return s;
    }
    s.http = file.Port("HTTP_PORT");
    s.https = file.Port("HTTPS_PORT");
    s.untrusted = file.Port("UNTRUSTED_PORT");
    s.fault = file.Port("FAULT_PORT");
    s.files = file.WindowsPath("FILES");
    s.ok = s.http && s.https && s.untrusted && s.fault;
    if (!s.ok) s.error = L"incomplete ports file " + file.path;
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A GET of the whole body with a client of the tests' own.
std::string PlainGet(int port, const std::wstring& path) {
    std::string body;
    HINTERNET session = WinHttpOpen(L"vonu-test-log", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    HINTERNET connection =
        session ? WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port), 0)
                : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr,
                                                        WINHTTP_NO_REFERER,
                                                        WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                   : nullptr;
    if (request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        char buffer[65536];
        DWORD got = 0;
        while (WinHttpReadData(request, buffer, sizeof buffer, &got) && got > 0)
            body.append(buffer, got);
    }
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    if (session) WinHttpCloseHandle(session);
    return body;
}

std::wstring Url(const wchar_t* scheme, const wchar_t* host, int port, const std::wstring& path) {
    return std::wstring(scheme) + L"://" + host + L":" + std::to_wstring(port) + path;
}

}  // namespace

const TestServers& Servers() {
    static const TestServers servers = Load();
    return servers;
}

std::wstring NginxUrl(const std::wstring& path) { return Url(L"http", L"127.0.0.1", Servers().http, path); }
std::wstring HttpsUrl(const std::wstring& path) { return Url(L"https", L"localhost", Servers().https, path); }
std::wstring UntrustedUrl(const std::wstring& path) {
    return Url(L"https", L"localhost", Servers().untrusted, path);
}
std::wstring FaultUrl(const std::wstring& path) { return Url(L"http", L"127.0.0.1", Servers().fault, path); }

std::wstring UniqueTag() {
    static std::atomic<int> counter{0};
    return L"t" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(GetTickCount64()) +
           L"x" + std::to_wstring(counter++);
}

std::string ReceivedRequest::Header(const std::string& lowerName, bool* found) const {
    auto it = headers.find(lowerName);
    if (found) *found = it != headers.end();
    return it == headers.end() ? std::string() : it->second;
}

std::vector<ReceivedRequest> RequestsWithTag(const std::wstring& tag) {
    std::vector<ReceivedRequest> all;
    std::istringstream in(PlainGet(Servers().fault, L"/_log?tag=" + tag));
    std::string line;
    ReceivedRequest current;
    bool open = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (open) all.push_back(std::move(current));
            current = {};
            open = false;
            continue;
        }
        if (!open) {
            std::istringstream words(line);
            words >> current.method >> current.target;
            open = true;
            continue;
        }
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.erase(0, 1);
        current.headers.emplace(Lower(line.substr(0, colon)), value);
    }
    if (open) all.push_back(std::move(current));
    return all;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string PatternBytes(int64_t size, int seed) {
    std::string out(static_cast<size_t>(size), '\0');
    for (int64_t i = 0; i < size; ++i) out[static_cast<size_t>(i)] = static_cast<char>((i * 7 + seed) % 251);
    return out;
}

FaultCounts FaultStats(const std::wstring& group) {
    FaultCounts counts;
    const std::string text = PlainGet(Servers().fault, L"/_stats?group=" + group);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            const long long value = std::atoll(line.c_str() + eq + 1);
            const std::string name = line.substr(0, eq);
            if (name == "requests") counts.requests = value;
            if (name == "active") counts.active = value;
            if (name == "max") counts.maxActive = value;
        }
        at = end + 1;
    }
    return counts;
}

}  // namespace vonu::test
