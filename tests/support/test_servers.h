// The loopback test servers of a ctest run (tests/servers/README.md): their ports, the
// addresses of their endpoints, the requests the fault server received, and the bytes the
// servers' generated files hold. Only for tests registered with vonu_test(... SERVERS).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vonu::test {

struct TestServers {
    int http = 0;       // nginx, plain
    int https = 0;      // nginx, TLS with a certificate for localhost from the trusted test CA
    int untrusted = 0;  // nginx, TLS with a certificate from a CA nobody trusts
    int fault = 0;      // tests/servers/fault_server.py
    // The folder nginx serves as /files/, as a Windows path (Z:\...). A test may write
    // files of its own there (in a folder named by its tag) and fetch them back.
    std::wstring files;
    bool ok = false;    // false: VONU_TEST_SERVERS is missing or its file unreadable
    std::wstring error;
};

// Read once from the file VONU_TEST_SERVERS names.
const TestServers& Servers();

// http://127.0.0.1:port + path (path starts with "/").
std::wstring NginxUrl(const std::wstring& path);
std::wstring HttpsUrl(const std::wstring& path);      // https://localhost:port + path
std::wstring UntrustedUrl(const std::wstring& path);  // https://localhost:port + path
std::wstring FaultUrl(const std::wstring& path);

// A tag no other test uses, for the fault server's request log ("?tag=" + it).
std::wstring UniqueTag();

// One request as the fault server received it.
struct ReceivedRequest {
    std::string method;
    std::string target;  // as on the request line
    std::multimap<std::string, std::string> headers;  // names lower-cased
    // The value of the first header of that (lower-case) name, or "" and found = false.
    std::string Header(const std::string& lowerName, bool* found = nullptr) const;
};

// Every request whose target contains `tag`, oldest first. Read over HTTP from /_log with
// a plain WinHTTP client of its own (not the program's code under test).
std::vector<ReceivedRequest> RequestsWithTag(const std::wstring& tag);

// Polls `condition` every 10 ms until it holds or the time is up.
template <typename F>
bool WaitUntilTrue(unsigned long milliseconds, F condition) {
    for (unsigned long waited = 0;; waited += 10) {
        if (condition()) return true;
        if (waited >= milliseconds) return false;
        Sleep(10);
    }
}

// What the fault server's /seg endpoint counted for one group (README.md): requests, the
// responses being served now, and the most served at once.
struct FaultCounts {
    int64_t requests = 0, active = 0, maxActive = 0;
};
FaultCounts FaultStats(const std::wstring& group);

// The tests run under Wine (not on Windows): for the few Wine gaps a test must step around.
bool UnderWine();

// The deterministic bytes of the servers' generated files and of /file?size=N:
// byte i is (i * 7 + seed) % 251.
std::string PatternBytes(int64_t size, int seed = 0);

}  // namespace vonu::test
