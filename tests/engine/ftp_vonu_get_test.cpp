// vonu-get.exe (bench/) with ftp:// addresses: the same command line, output and exit codes
// as for HTTP, a stop after some bytes and a second run that resumes the saved download.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "model/text_encoding.h"
#include "model/unique_handle.h"
#include "tests/engine/ftp_test_support.h"
#include "tests/support/test_servers.h"

namespace vonu {
namespace {

using namespace vonu::test;

constexpr int64_t kMiB = 1048576;

struct RunResult {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    std::string out;  // what it wrote to stdout
};

// Runs vonu-get.exe (beside this test program) with the arguments; at most 120 s.
RunResult RunVonuGet(const std::wstring& arguments) {
    RunResult r;
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self, n);
    exe = exe.substr(0, exe.rfind(L'\\')) + L"\\vonu-get.exe";

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return r;
    KernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return r;
    r.started = true;
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset();  // only the child writes now, so the read ends when it does
    char buffer[4096];
    DWORD got = 0;
    const ULONGLONG end = GetTickCount64() + 120000;
    while (GetTickCount64() < end) {
        DWORD available = 0;
        if (!PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr))
            break;  // closed: it ended
        if (available == 0) {
            if (WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0 &&
                (!PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) || available == 0))
                break;
            continue;
        }
        if (!ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        r.out.append(buffer, got);
    }
    r.ended = WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    if (!r.ended) TerminateProcess(process.get(), 99);  // a hung child must not outlive the test
    GetExitCodeProcess(process.get(), &r.exitCode);
    return r;
}

class VonuGetFtp : public FtpServerTest {};

TEST_F(VonuGetFtp, DownloadsAnFtpFileOverFourConnections) {
    const RunResult r = RunVonuGet(L"-c 4 -o \"" + dir.path() + L"\" " + Url(L"20mib.bin"));
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    const std::string expected = "Complete\t" + WideToUtf8(dir.File(L"20mib.bin")) + "\t20971520";
    EXPECT_EQ(r.out.substr(0, r.out.find_last_not_of("\r\n") + 1), expected);
    EXPECT_TRUE(ReadBytes(dir.File(L"20mib.bin")) == PatternBytes(20 * kMiB));
    std::vector<int64_t> rests = RestOffsets(tag);
    for (int64_t start : {5 * kMiB, 10 * kMiB, 15 * kMiB})
        EXPECT_NE(std::find(rests.begin(), rests.end(), start), rests.end()) << start;
}

TEST_F(VonuGetFtp, DownloadsAnEscapedAccentedNameOverFourConnections) {
    const RunResult r = RunVonuGet(L"-c 4 -o \"" + dir.path() + L"\" " + Url(L"caf%C3%A9%20menu.bin"));
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    const std::wstring file = dir.File(L"caf\u00e9 menu.bin");
    EXPECT_EQ(r.out.substr(0, r.out.find_last_not_of("\r\n") + 1),
              "Complete\t" + WideToUtf8(file) + "\t4194304");
    EXPECT_TRUE(ReadBytes(file) == PatternBytes(4 * kMiB));
    const std::vector<int64_t> rests = RestOffsets(tag);
    for (int64_t start : {kMiB, 2 * kMiB, 3 * kMiB})
        EXPECT_NE(std::find(rests.begin(), rests.end(), start), rests.end()) << start;
}

TEST_F(VonuGetFtp, StopAfterSomeBytesAndResumeInASecondRun) {
    const std::wstring url = FtpUrl(FtpServer().slowPort, tag, L"4mib.bin");
    const std::wstring args = L"-c 4 -o \"" + dir.path() + L"\" ";
    const RunResult first = RunVonuGet(args + L"--stop-after-bytes 1000000 " + url);
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.exitCode, 2u) << first.out;
    EXPECT_EQ(first.out.rfind("Stopped\t", 0), 0u) << first.out;
    const size_t sessionsBefore = FtpSessionsWithTag(tag).size();

    const RunResult second = RunVonuGet(args + url);
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.exitCode, 0u) << second.out;
    EXPECT_EQ(second.out.rfind("Complete\t", 0), 0u) << second.out;
    EXPECT_TRUE(ReadBytes(dir.File(L"4mib.bin")) == PatternBytes(4 * kMiB));
    // The second run continued the saved segments: each of its connections began with REST.
    const std::vector<FtpSessionLog> sessions = FtpSessionsWithTag(tag);
    ASSERT_GT(sessions.size(), sessionsBefore);
    for (size_t i = sessionsBefore; i < sessions.size(); ++i) {
        SCOPED_TRACE(i);
        bool rest = false;
        for (const std::string& c : sessions[i].commands)
            rest = rest || (c.rfind("REST ", 0) == 0 && c != "REST 0");
        EXPECT_TRUE(rest);
    }
}

}  // namespace
}  // namespace vonu
