// vonu-get.exe's interface, run as a script would run it: its one line on stdout, its exit
// status, the file in the chosen folder, and a stopped download resumed by a second run.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/version_repair.h"
#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"

namespace vonu {
namespace {

using namespace vonu::test;

struct RunResult {
    DWORD exitCode = 9999;
    std::string out;  // stdout
};

// Runs vonu-get.exe; with killAfterMs, ends it with TerminateProcess after that long, as a
// crash or a power cut would (exit code 9998), unless it ended by itself before.
RunResult RunVonuGet(const std::wstring& arguments, const TempFolder& scratch, DWORD killAfterMs = 0) {
    RunResult result;
    // A new file per run: a child's inherited handle may outlive its exit for a moment.
    static int runs = 0;
    const std::wstring outPath = scratch.File(L"stdout-" + std::to_wstring(++runs) + L".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = out;
    si.hStdError = nul;
    std::wstring line = L"\"" + ProgramFolder() + L"\\vonu-get.exe\" " + arguments;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        if (killAfterMs && WaitForSingleObject(pi.hProcess, killAfterMs) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 9998);
            WaitForSingleObject(pi.hProcess, 10000);
        }
        if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &result.exitCode);
        else TerminateProcess(pi.hProcess, 9999);  // a hung run fails the test, never the suite
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    CloseHandle(nul);
    result.out = ReadBytes(outPath);
    return result;
}

class VonuGet : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Servers().ok) << WideToUtf8(Servers().error); }
    std::wstring Folder() { return dir.File(L"out"); }
    TempFolder dir, scratch;
    std::wstring tag = UniqueTag();
};

TEST_F(VonuGet, DownloadsIntoTheFolderAndPrintsOneLine) {
    const std::wstring url = FaultUrl(L"/seg?size=3145728&seed=4&tag=" + tag);
    const RunResult r = RunVonuGet(L"-c 3 -o \"" + Folder() + L"\" \"" + url + L"\"", scratch);
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    EXPECT_EQ(r.out, "Complete\t" + WideToUtf8(Folder()) + "\\seg\t3145728\n");
    EXPECT_EQ(ReadBytes(Folder() + L"\\seg"), PatternBytes(3145728, 4));
    EXPECT_TRUE(FileExists(Folder() + L"\\.vonu-data\\list.ini"));
}

TEST_F(VonuGet, StopsAfterTheBytesAndASecondRunResumes) {
    const std::wstring url = FaultUrl(L"/seg?size=6291456&seed=6&rate=1500000&tag=" + tag);
    const std::wstring args = L"-c 2 -o \"" + Folder() + L"\" ";
    RunResult r = RunVonuGet(args + L"--stop-after-bytes 1000000 \"" + url + L"\"", scratch);
    EXPECT_EQ(r.exitCode, 2u) << r.out;
    ASSERT_EQ(r.out.rfind("Stopped\t", 0), 0u) << r.out;
    const long long stopped = std::atoll(r.out.c_str() + 8);
    EXPECT_GE(stopped, 1000000);
    EXPECT_LT(stopped, 6291456);
    EXPECT_TRUE(FileExists(Folder() + L"\\seg.vonu"));

    r = RunVonuGet(args + L"\"" + url + L"\"", scratch);
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    EXPECT_EQ(ReadBytes(Folder() + L"\\seg"), PatternBytes(6291456, 6));
    int fromZero = 0;
    for (const auto& request : RequestsWithTag(tag)) fromZero += request.Header("range").rfind("bytes=0-", 0) == 0;
    EXPECT_EQ(fromZero, 2) << "the probe and the first run's first segment; the second run resumes";
    EXPECT_FALSE(FileExists(Folder() + L"\\seg (2)")) << "the saved download was resumed, not added again";
}

TEST_F(VonuGet, KilledRunsResumeTheSameDownloadAndFinishByteIdentical) {
    // Killed at several moments of a 64 MiB download (the first one before the first timed
    // save of the list), each next run takes up the saved download and its temporary file;
    // the last one finishes it. No second copy, no temporary file is left behind.
    const std::wstring url = FaultUrl(L"/seg?size=67108864&seed=11&rate=1000000&tag=" + tag);
    const std::wstring args = L"-c 4 -o \"" + Folder() + L"\" \"" + url + L"\"";
    for (DWORD killAfter : {1500u, 3000u, 4500u}) {
        SCOPED_TRACE(killAfter);
        const RunResult r = RunVonuGet(args, scratch, killAfter);
        ASSERT_EQ(r.exitCode, 9998u) << "killed while it ran: " << r.out;
    }
    const RunResult r = RunVonuGet(args, scratch);
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    EXPECT_EQ(r.out, "Complete\t" + WideToUtf8(Folder()) + "\\seg\t67108864\n");
    EXPECT_TRUE(ReadBytes(Folder() + L"\\seg") == PatternBytes(67108864, 11)) << "byte-identical";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((Folder() + L"\\*").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        // Wine keeps the zone mark's stream as a file of that literal name.
        const std::wstring name = found.cFileName;
        if (name[0] != L'.' && name.find(L':') == std::wstring::npos) names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    EXPECT_EQ(names, std::vector<std::wstring>{L"seg"}) << "one file: no \"seg (2)\", no seg.vonu";
}

TEST_F(VonuGet, ShortAnswersAndCutConnectionsStillEndWithTheServersFile) {
    // With the program's own retry pauses: a server that answers every range with at most
    // 500,000 bytes, and a link that cuts the one connection after every 1,000,000 bytes
    // (seven attempts, more than four retries in a row, each one moving the segment on).
    struct Case {
        const wchar_t* fault;
    } const cases[] = {{L"max_len=500000"}, {L"cut=1000000&cuts=1000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.fault));
        tag = UniqueTag();
        const std::wstring folder = Folder() + L"-" + tag;
        const std::wstring url = FaultUrl(L"/seg?size=6291456&seed=12&" + std::wstring(c.fault) + L"&tag=" + tag);
        const RunResult r = RunVonuGet(L"-c 1 -o \"" + folder + L"\" \"" + url + L"\"", scratch);
        EXPECT_EQ(r.exitCode, 0u) << r.out;
        EXPECT_TRUE(ReadBytes(folder + L"\\seg") == PatternBytes(6291456, 12)) << "byte-identical";
    }
}

TEST_F(VonuGet, FailuresPrintTheSentenceAndExitWithOne) {
    struct Case {
        std::wstring args;
        std::string out;
    } const cases[] = {
        {L"\"" + FaultUrl(L"/status/404?tag=" + tag) + L"\"", "Error\tHTTP 404: file not found on the server\n"},
        {L"-c 99 http://127.0.0.1:1/x", "Error\tThe number of connections must be from 1 to 32.\n"},
        {L"gopher://127.0.0.1/x", "Error\tOnly http://, https:// and ftp:// addresses can be downloaded.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.args));
        const RunResult r = RunVonuGet(L"-o \"" + Folder() + L"\" " + c.args, scratch);
        EXPECT_EQ(r.exitCode, 1u);
        EXPECT_EQ(r.out, c.out);
    }
}

}  // namespace
}  // namespace vonu
