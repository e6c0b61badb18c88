// The real Vonu.exe started as the browsers start their native messaging host: with an
// extension origin on its command line and pipes for standard input and output. The test
// writes the request (in pieces, or not at all), reads exactly one reply frame (a program
// the host starts may hold the pipe open, so nothing waits for the end of the output) and
// checks that the process ends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vonu::test {

inline constexpr wchar_t kTestOrigin[] = L"chrome-extension://ebloapjomelhfanddmhchpcihdakchkn/";

// A frame: the 4-byte little-endian length (`length`, or the body's size) and the body.
std::string NativeFrame(std::string_view body);
std::string NativeFrame(std::string_view body, uint32_t length);

class HostProcess {
public:
    // `appData`: the host's %APPDATA% (empty: the test's own). `exe`: Vonu.exe by default.
    explicit HostProcess(const std::wstring& appData = L"", const std::wstring& exe = L"");
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    // Writes the bytes, `piece` at a time with a short pause between pieces (0: at once).
    void Write(std::string_view bytes, size_t piece = 0);
    void CloseInput();
    // One reply frame's body, or nothing when none came within the time (or the output ended).
    std::optional<std::string> ReadReply(DWORD milliseconds);
    // True when the process ended within the time.
    bool WaitEnd(DWORD milliseconds);

private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;   // our end of its standard input
    HANDLE output_ = nullptr;  // our end of its standard output
};

// Writes the request, closes the input and returns the reply (as ReadReply).
std::optional<std::string> AskHost(std::string_view request, const std::wstring& appData = L"",
                                   DWORD milliseconds = 20000);

}  // namespace vonu::test
