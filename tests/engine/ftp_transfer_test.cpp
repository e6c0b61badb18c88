// Whole ftp:// downloads the way the program runs them: AddDownload with its probe, start,
// the real worker and connections, the manager tick, finishing; the server's command log
// shows where every connection began.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "engine/http_request.h"
#include "engine/probe.h"
#include "engine/transfer.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/download_snapshot.h"
#include "tests/support/download_driver.h"
#include "tests/engine/ftp_test_support.h"
#include "tests/support/test_servers.h"

namespace vonu {
namespace {

using namespace vonu::test;

constexpr int64_t kMiB = 1048576;

class FtpTransfer : public FtpServerTest {
protected:
    ScopedRetryPolicies quickRetries{QuickRetries()};
    void SetUp() override {
        FtpServerTest::SetUp();
        SetTransferWorker(RunTransfer);
        SetRequestCloser(CloseOpenRequestsLocked);
        DownloadManager& m = Manager();
        m.MaxConn = 8;
        m.ScanOn = false;
        m.MaxPerServer = 0;
    }
    void TearDown() override {
        (void)StopEverything(Manager(), dir.path());
        SetTransferWorker(nullptr);
        SetRequestCloser(nullptr);
        FtpServerTest::TearDown();
    }
    std::shared_ptr<DownloadItem> Add(const std::wstring& url, int32_t connections) {
        const auto d = test::AddAndProbe(url, connections);
        EXPECT_FALSE(d->probing.load()) << "the probe ends";
        return d;
    }
    bool Run(const std::shared_ptr<DownloadItem>& d, const std::function<bool()>& until = nullptr,
             DWORD ms = 120000) {
        return test::RunUntilEnded(d, until, ms);
    }
    void ExpectComplete(const std::shared_ptr<DownloadItem>& d, const std::string& expected) {
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Complete) << WideToUtf8(d->lastError);
        EXPECT_EQ(d->size, static_cast<int64_t>(expected.size()));
        EXPECT_TRUE(ReadBytes(d->path) == expected) << "the finished file is byte-identical";
        EXPECT_FALSE(FileExists(d->path + L".vonu"));
    }
    // The REST offsets of the transfer's sessions (the probe's "REST 0" left out).
    std::vector<int64_t> TransferRests() {
        std::vector<int64_t> rests = RestOffsets(tag);
        std::erase(rests, 0);
        std::sort(rests.begin(), rests.end());
        return rests;
    }
    // Sessions that fetched the file (RETR), in order.
    std::vector<FtpSessionLog> Retrievals() {
        std::vector<FtpSessionLog> out;
        for (FtpSessionLog& s : FtpSessionsWithTag(tag))
            if (std::any_of(s.commands.begin(), s.commands.end(),
                            [](const std::string& c) { return c.rfind("RETR ", 0) == 0; }))
                out.push_back(std::move(s));
        return out;
    }
};

TEST_F(FtpTransfer, TwentyMiBOverFourConnectionsEachStartingWithItsRest) {
    auto d = Add(Url(L"20mib.bin"), 4);
    {
        std::lock_guard guard(Manager().lock);
        ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
        EXPECT_TRUE(d->resumable);
        EXPECT_EQ(d->size, 20 * kMiB);
    }
    StartDownload(Manager(), d->id);
    int mostConnections = 0;
    ASSERT_TRUE(Run(d, [&] {
        int busy = 0;
        for (uint8_t b : d->segmentBusy) busy += b;
        mostConnections = std::max(mostConnections, busy);
        return d->state != DownloadState::Downloading && !d->workerRunning;
    }));
    ExpectComplete(d, PatternBytes(20 * kMiB));
    EXPECT_LE(mostConnections, 4);
    EXPECT_GE(mostConnections, 2) << "several connections worked at once";
    const std::vector<int64_t> rests = TransferRests();
    for (int64_t start : {5 * kMiB, 10 * kMiB, 15 * kMiB})
        EXPECT_NE(std::find(rests.begin(), rests.end(), start), rests.end())
            << "a connection began with REST " << start;
    // Four segments, and maybe splits of them: every connection but the first began with REST.
    EXPECT_EQ(rests.size() + 2, Retrievals().size()) << "the probe, the first segment, then one REST each";
}

TEST_F(FtpTransfer, StopAndResumeContinuesEverySegmentWhereItStopped) {
    // The slow server: 4 segments of 1 MiB at 256 KB/s each take about 4 s.
    auto d = Add(FtpUrl(FtpServer().slowPort, tag, L"4mib.bin"), 4);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d, [&] { return d->DownloadedBytes() >= kMiB; }));
    StopDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d, nullptr, 30000)) << "the stop ended the run promptly";
    std::vector<Segment> kept;
    {
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Stopped);
        EXPECT_EQ(d->lastError, L"") << "a stop is no error";
        EXPECT_LT(d->DownloadedBytes(), 4 * kMiB);
        EXPECT_TRUE(FileExists(d->path + L".vonu"));
        EXPECT_TRUE(d->openRequests.empty());
        kept = d->segments;
    }
    const size_t before = Retrievals().size();
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(4 * kMiB));
    // The resumed connections began at the kept next positions, never at a segment's start.
    const std::vector<FtpSessionLog> sessions = Retrievals();
    ASSERT_GT(sessions.size(), before);
    for (size_t i = before; i < sessions.size(); ++i) {
        SCOPED_TRACE(i);
        int64_t rest = 0;
        for (const std::string& c : sessions[i].commands)
            if (c.rfind("REST ", 0) == 0) rest = std::atoll(c.c_str() + 5);
        EXPECT_GT(rest, 0) << "the resumed run asks for no byte it already had from the start";
        const bool atAKeptPosition = std::any_of(kept.begin(), kept.end(), [&](const Segment& s) {
            return s.next == rest || (rest > s.next && rest <= s.end);  // or a split of what was left
        });
        EXPECT_TRUE(atAKeptPosition) << rest;
    }
}

TEST_F(FtpTransfer, NamesBeyondAsciiDownloadOverFourConnectionsStopAndResumeWithUtf8OnTheWire) {
    struct Case {
        const wchar_t* escaped;  // as the address carries it
        std::string utf8;        // the name's bytes the server must receive
    } cases[] = {{L"caf%C3%A9%20menu.bin", "caf\xC3\xA9 menu.bin"},
                 {L"%D9%85%D9%84%D9%81.bin", "\xD9\x85\xD9\x84\xD9\x81.bin"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        tag += L"u";
        // The slow server: 4 connections of 256 KB/s need about 4 s for the 4 MiB.
        auto d = Add(FtpUrl(FtpServer().slowPort, tag, c.escaped), 4);
        {
            std::lock_guard guard(Manager().lock);
            ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
            EXPECT_TRUE(d->resumable);
            EXPECT_EQ(WideToUtf8(d->fileName), c.utf8);
        }
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d, [&] { return d->DownloadedBytes() >= kMiB; }));
        StopDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d, nullptr, 30000));
        {
            std::lock_guard guard(Manager().lock);
            EXPECT_EQ(d->state, DownloadState::Stopped) << WideToUtf8(d->lastError);
            EXPECT_LT(d->DownloadedBytes(), 4 * kMiB);
        }
        const size_t before = Retrievals().size();
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        ExpectComplete(d, PatternBytes(4 * kMiB));
        const std::vector<FtpSessionLog> sessions = Retrievals();
        EXPECT_GE(sessions.size(), before + 1) << "the resumed run fetched again";
        EXPECT_GE(before, 3u) << "the probe and several connections before the stop";
        const std::string retr = "RETR /t/" + WideToUtf8(tag) + "/" + c.utf8;
        for (const FtpSessionLog& s : sessions) {
            EXPECT_EQ(s.commands.at(2), "OPTS UTF8 ON");
            for (const std::string& command : s.commands)
                if (command.rfind("RETR ", 0) == 0) {
                    EXPECT_EQ(command, retr) << "the name's UTF-8 bytes";
                }
        }
    }
}

TEST_F(FtpTransfer, ServerRefusingUtf8StillServesAnAccentedNameUnderItsAnsiName) {
    if (GetACP() != 1252) GTEST_SKIP() << "the server reads Latin-1, which is code page 1252 for this name";
    auto d = Add(FtpUrl(FtpServer().latin1Port, tag, L"caf%C3%A9%20menu.bin"), 4);
    {
        std::lock_guard guard(Manager().lock);
        ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
        EXPECT_TRUE(d->resumable);
        EXPECT_EQ(d->size, 4 * kMiB);
    }
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(4 * kMiB));
    // Every connection tried the UTF-8 name first (a SIZE or RETR refused) and fetched the file
    // under the Latin-1 bytes.
    const std::string prefix = "/t/" + WideToUtf8(tag) + "/";
    const std::vector<FtpSessionLog> sessions = Retrievals();
    EXPECT_GE(sessions.size(), 3u) << "the probe and several connections";
    for (const FtpSessionLog& s : sessions) {
        std::vector<std::string> named;  // the SIZE and RETR commands, in order
        std::string lastRetr;
        for (const std::string& command : s.commands) {
            if (command.rfind("SIZE ", 0) == 0 || command.rfind("RETR ", 0) == 0) named.push_back(command);
            if (command.rfind("RETR ", 0) == 0) lastRetr = command;
        }
        ASSERT_GE(named.size(), 2u);
        EXPECT_EQ(named.front().substr(4), " " + prefix + "caf\xC3\xA9 menu.bin");
        EXPECT_EQ(lastRetr, "RETR " + prefix + "caf\xE9 menu.bin");
    }
}

TEST_F(FtpTransfer, ServerRefusingRestOrAnEmptyFileGetsOneConnectionFromByteZero) {
    struct Case {
        int port;
        const wchar_t* name;
        int64_t size;
    } cases[] = {{FtpServer().noRestPort, L"20mib.bin", 20 * kMiB}, {FtpServer().port, L"empty.bin", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        tag += L"n";
        auto d = Add(FtpUrl(c.port, tag, c.name), 4);
        {
            std::lock_guard guard(Manager().lock);
            ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
            EXPECT_FALSE(d->resumable);
            EXPECT_EQ(d->size, c.size);
        }
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        ExpectComplete(d, PatternBytes(c.size));
        const std::vector<FtpSessionLog> sessions = Retrievals();
        // The probe opened the file once too; the transfer is the one session after it.
        ASSERT_EQ(sessions.size(), 2u);
        for (const std::string& command : sessions[1].commands)
            EXPECT_NE(command.rfind("REST ", 0), 0u) << command;
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->segments.size(), 1u);
    }
}

TEST_F(FtpTransfer, FileChangedOnTheServerWhileStoppedFailsOnceAndTheNextStartBeginsFresh) {
    const std::wstring name = tag + L".bin";  // a file of this test's own in the server's folder
    const std::wstring file = FtpServer().root + L"\\" + name;
    WriteBytes(file, PatternBytes(3 * kMiB, 1));
    auto d = Add(FtpUrl(FtpServer().slowPort, tag, name), 4);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d, [&] { return d->DownloadedBytes() >= 256 * 1024; }));
    StopDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    WriteBytes(file, PatternBytes(4 * kMiB, 9));

    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    {
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Error);
        EXPECT_EQ(d->lastError, kServerFileChanged);
        EXPECT_TRUE(d->segments.empty());
        EXPECT_FALSE(d->probed) << "the next start probes the new file";
        EXPECT_FALSE(FileExists(d->path + L".vonu"));
    }
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(4 * kMiB, 9));
    DeleteFileW(file.c_str());
}

TEST_F(FtpTransfer, WrongPasswordFailsTheDownloadWithTheLoginSentence) {
    auto d = Add(Url(L"small.bin", L"user:wrong"), 4);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    std::lock_guard guard(Manager().lock);
    EXPECT_EQ(d->state, DownloadState::Error);
    EXPECT_EQ(d->lastError, L"The site did not accept the saved user name and password");
}

}  // namespace
}  // namespace vonu
