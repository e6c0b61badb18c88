// Whole downloads against the loopback servers, the way the program runs them: AddDownload
// with its probe, start, the real worker and connections, the manager tick every 50 ms, and
// finishing. Every finished file is compared with the server's bytes by SHA-256.
#include "engine/transfer.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <map>
#include <set>

#include "app/version_repair.h"
#include "engine/finish.h"
#include "engine/http_request.h"
#include "engine/probe.h"
#include "engine/segments.h"
#include "engine/temp_file.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/list_file.h"
#include "model/data_folder.h"
#include "model/text_encoding.h"
#include "tests/support/download_driver.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using namespace vonu::test;

std::string Sha256(const std::string& bytes) {
    BCRYPT_ALG_HANDLE alg = nullptr;
    unsigned char digest[32] = {};
    if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0) {
        BCryptHash(alg, nullptr, 0, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(bytes.size()), digest, sizeof digest);
        BCryptCloseAlgorithmProvider(alg, 0);
    }
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : digest) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

class Transfer : public HttpServersTest {
protected:
    ScopedRetryPolicies quickRetries{QuickRetries()};
    void SetUp() override {
        HttpServersTest::SetUp();
        SetTransferWorker(RunTransfer);
        SetRequestCloser(CloseOpenRequestsLocked);
        DownloadManager& m = Manager();
        m.BaseDir = dir.path();
        m.MaxConn = 8;
        m.ScanOn = false;
        m.MaxPerServer = 0;
    }
    void TearDown() override {
        (void)StopEverything(Manager(), dir.path());
        SetTransferWorker(nullptr);
        SetRequestCloser(nullptr);
        {
            std::lock_guard guard(Manager().categoryLock);
            Manager().serverLimits.clear();
        }
        HttpServersTest::TearDown();
    }

    // Adds the download and waits for its probe.
    std::shared_ptr<DownloadItem> Add(const std::wstring& url, int32_t connections = 8,
                                      const DownloadOptions& options = {}) {
        const auto d = test::AddAndProbe(url, connections, options);
        EXPECT_FALSE(d->probing.load()) << "the probe ends";
        return d;
    }
    // Ticks every 50 ms until the item's run has ended (or `until` holds); true unless time ran out.
    bool Run(const std::shared_ptr<DownloadItem>& d, const std::function<bool()>& until = nullptr,
             DWORD ms = 90000) {
        return test::RunUntilEnded(d, until, ms);
    }
    DownloadSnapshot Snap(const std::shared_ptr<DownloadItem>& d) {
        std::lock_guard guard(Manager().lock);
        return MakeSnapshot(*d);
    }
    std::wstring PathOf(const std::shared_ptr<DownloadItem>& d) {
        std::lock_guard guard(Manager().lock);
        return d->path;
    }
    void ExpectComplete(const std::shared_ptr<DownloadItem>& d, const std::string& expected) {
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Complete) << WideToUtf8(d->lastError);
        EXPECT_EQ(d->size, static_cast<int64_t>(expected.size()));
        EXPECT_EQ(Sha256(ReadBytes(d->path)), Sha256(expected)) << "the finished file is byte-identical";
        EXPECT_FALSE(FileExists(d->path + L".vonu")) << "the temporary file became the finished one";
        EXPECT_NE(std::find(Manager().completed.begin(), Manager().completed.end(), d->id), Manager().completed.end());
    }
    // The segments of a finished run tile the file: sorted, each written up to its end and
    // not a byte beyond it, so no byte was fetched or counted twice.
    void ExpectSegmentsTile(const std::shared_ptr<DownloadItem>& d, int64_t size) {
        std::lock_guard guard(Manager().lock);
        std::vector<Segment> segs = d->segments;
        std::sort(segs.begin(), segs.end(), [](const Segment& a, const Segment& b) { return a.start < b.start; });
        int64_t at = 0;
        for (const Segment& s : segs) {
            EXPECT_EQ(s.start, at);
            EXPECT_EQ(s.next, s.end + 1) << "segment at " << s.start;
            at = s.end + 1;
        }
        EXPECT_EQ(at, size);
        EXPECT_EQ(d->DownloadedBytes(), size);
    }
    std::wstring Seg(const std::wstring& query) { return FaultUrl(L"/seg?" + query + L"&tag=" + tag); }
    // The Range header's first byte of each request of this test but the probe's ("bytes=0-0").
    std::vector<int64_t> RangeStarts() {
        std::vector<int64_t> starts;
        for (const auto& r : RequestsWithTag(tag)) {
            const std::string range = r.Header("range");
            if (range == "bytes=0-0") continue;
            starts.push_back(range.empty() ? -1 : std::atoll(range.c_str() + 6));
        }
        return starts;
    }

    TempFolder dir;
};

TEST_F(Transfer, ResumableFileOverEightConnectionsOfNginx) {
    const std::string bytes = PatternBytes(64 * kMiB, 0);
    const std::wstring folder = Servers().files + L"\\" + tag;
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\big.bin", bytes);
    auto d = Add(NginxUrl(L"/files/" + tag + L"/big.bin"), 8);
    EXPECT_TRUE(Snap(d).resumable);
    StartDownload(Manager(), d->id);
    int mostConnections = 0;
    ASSERT_TRUE(Run(d, [&] {
        int busy = 0;
        for (uint8_t b : d->segmentBusy) busy += b;
        mostConnections = std::max(mostConnections, busy);
        return d->state != DownloadState::Downloading && !d->workerRunning;
    }));
    ExpectComplete(d, bytes);
    ExpectSegmentsTile(d, 64 * kMiB);
    EXPECT_GE(Snap(d).segments.size(), 8u);
    EXPECT_GE(mostConnections, 2) << "several connections worked at once";
    EXPECT_LE(mostConnections, 8);
    RemoveTree(folder);
}

TEST_F(Transfer, NonResumableFileRunsOnOneConnectionFromByteZero) {
    const int64_t size = 3 * kMiB + 5;
    auto d = Add(FaultUrl(L"/ignore-range?size=" + std::to_wstring(size) + L"&tag=" + tag), 8);
    EXPECT_FALSE(Snap(d).resumable);
    EXPECT_EQ(Snap(d).size, size);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(size));
    EXPECT_EQ(RangeStarts(), std::vector<int64_t>{-1}) << "one request, without a Range header";
}

TEST_F(Transfer, UnknownSizeStreamCompletesWhenTheBodyEndsAndLearnsItsSize) {
    const int64_t size = 300001;
    auto d = Add(FaultUrl(L"/chunked?size=" + std::to_wstring(size) + L"&tag=" + tag), 8);
    EXPECT_EQ(Snap(d).size, -1);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(size));
}

TEST_F(Transfer, ConnectionCutMidBodyIsRetriedFromWhereItStopped) {
    const int64_t size = 4 * kMiB;
    auto d = Add(Seg(L"size=4194304&cut=300000&cuts=1"), 1);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(size));
    const auto starts = RangeStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], 0);
    EXPECT_EQ(starts[1] % 65536, 300000 % 65536) << "the retry asks for the bytes after the ones kept";
    EXPECT_GE(starts[1], 65536);
}

TEST_F(Transfer, RangeAnsweredWith200FailsWithTheResumeSentenceAfterFourRetries) {
    auto d = Add(Seg(L"size=3145728&ignore_after=1"), 8);
    ASSERT_TRUE(Snap(d).resumable);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    const DownloadSnapshot s = Snap(d);
    EXPECT_EQ(s.state, DownloadState::Error);
    EXPECT_EQ(s.lastError, L"The server stopped accepting resume requests (HTTP 200)");
    EXPECT_EQ(RangeStarts().size(), 3u * 5u) << "three segments, each tried once and retried four times";
    EXPECT_TRUE(FileExists(PathOf(d) + L".vonu")) << "a failed run keeps its file for a later try";
}

TEST_F(Transfer, RangeAnswersForOtherBytesAreNeverWritten) {
    // Servers, proxies and caches that answer a range with another part of the file: the
    // download fails with its own sentence and no byte of such an answer reaches the file.
    // A shorter but honest answer is fine: the segment asks again for the rest.
    struct Case {
        const wchar_t* fault;
        bool completes;
    } const cases[] = {
        {L"from_zero=1", false},
        {L"shift=1000", false},
        {L"max_len=300000", true},
    };
    const int64_t size = 3 * kMiB;
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.fault));
        tag = UniqueTag();
        auto d = Add(Seg(L"size=3145728&seed=7&" + std::wstring(c.fault)), 8);
        ASSERT_TRUE(Snap(d).resumable);
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        const std::string expected = PatternBytes(size, 7);
        if (c.completes) {
            ExpectComplete(d, expected);
            ExpectSegmentsTile(d, size);
            EXPECT_GT(RangeStarts().size(), 10u) << "the rest of each segment was asked for again";
            continue;
        }
        const DownloadSnapshot s = Snap(d);
        EXPECT_EQ(s.state, DownloadState::Error);
        EXPECT_EQ(s.lastError, kWrongRangeAnswer);
        EXPECT_FALSE(FileExists(s.path)) << "nothing was called finished";
        const std::string file = ReadBytes(s.path + L".vonu");
        ASSERT_EQ(file.size(), expected.size());
        for (const Segment& seg : s.segments) {
            const auto done = static_cast<size_t>(seg.next - seg.start);
            const auto left = static_cast<size_t>(seg.end + 1 - seg.next);
            EXPECT_EQ(file.compare(static_cast<size_t>(seg.start), done, expected, static_cast<size_t>(seg.start), done), 0)
                << "what a segment counts as done is the server's bytes, at " << seg.start;
            EXPECT_EQ(file.compare(static_cast<size_t>(seg.next), left, std::string(left, '\0')), 0)
                << "nothing else was written, from " << seg.next;
        }
    }
}

TEST_F(Transfer, LinkThatCutsEveryConnectionAfter3MBStillCompletes) {
    // Each attempt moves its segment on by 3,000,000 bytes; a 16 MiB segment needs six, more
    // than four retries in a row, and finishes because every attempt made progress.
    const int64_t size = 64 * kMiB, cut = 3000000;
    auto d = Add(Seg(L"size=67108864&seed=8&cut=3000000&cuts=100000"), 4);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d, nullptr, 180000));
    ExpectComplete(d, PatternBytes(size, 8));
    ExpectSegmentsTile(d, size);
    // Every request starts where a segment begins or where an earlier answer was cut off.
    std::set<int64_t> segmentStarts;
    for (const Segment& seg : Snap(d).segments) segmentStarts.insert(seg.start);
    std::map<int64_t, int> attempts;  // request start -> how many attempts its chain has had
    int longest = 0;
    for (int64_t start : RangeStarts()) {
        const auto before = attempts.find(start - cut);
        EXPECT_TRUE(before != attempts.end() || segmentStarts.count(start) > 0) << "a request for byte " << start;
        attempts[start] = before != attempts.end() ? before->second + 1 : 1;
        longest = std::max(longest, attempts[start]);
    }
    // No connection is idle before the first segment finishes, so nobody splits that one:
    // it took all six of its attempts, one more than a first try and four retries.
    EXPECT_GE(longest, 6);
}

TEST_F(Transfer, DamagedSavedProgressStartsOverAndFinishesByteIdentical) {
    // A list.ini whose Segs line is cut, or names ranges past the size or overlapping ones:
    // the resumed download must not trust it (holes would stay zeros, a range past the end
    // would get 416 for ever) and must still end with the server's file.
    const int64_t size = 8 * kMiB;
    struct Case {
        const char* name;
        std::function<std::wstring(const std::wstring& text, size_t segs, size_t lineEnd)> damage;
    } const cases[] = {
        {"cut inside Segs", [](const std::wstring& t, size_t segs, size_t end) { return t.substr(0, segs + (end - segs) / 2); }},
        {"a range past the size",
         [](const std::wstring& t, size_t, size_t end) { return t.substr(0, end) + L"8388608,16777215,9000000;" + t.substr(end); }},
        {"overlapping ranges",
         [](const std::wstring& t, size_t, size_t end) { return t.substr(0, end) + L"0,1048575,1048576;" + t.substr(end); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tag = UniqueTag();
        auto d = Add(Seg(L"size=8388608&seed=9&rate=2000000"), 4);
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d, [&] { return d->DownloadedBytes() >= 2 * kMiB; }));
        StopDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        ASSERT_TRUE(SaveList(Manager(), dir.path(), true).ok);
        const int32_t id = d->id;
        {
            std::lock_guard guard(Manager().lock);
            if (d->worker.joinable()) d->worker.join();
            Manager().downloads.clear();
        }
        d.reset();
        const std::wstring text = Utf16FileText(ListPath(dir.path()));
        const size_t segs = text.find(L"Segs=");
        ASSERT_NE(segs, std::wstring::npos);
        const size_t lineEnd = text.find(L"\r\n", segs);
        WriteUtf16File(ListPath(dir.path()), c.damage(text, segs + 5, lineEnd));
        ASSERT_TRUE(LoadList(Manager(), dir.path()).ok);
        {
            std::lock_guard guard(Manager().lock);
            d = Manager().FindLocked(id);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->DownloadedBytes(), 0) << "the saved progress was dropped";
        }
        StartDownload(Manager(), id);
        ASSERT_TRUE(Run(d));
        ExpectComplete(d, PatternBytes(size, 9));
        ExpectSegmentsTile(d, size);
        std::lock_guard guard(Manager().lock);
        std::erase(Manager().downloads, d);
    }
}

TEST_F(Transfer, FinishRefusesAFileWhoseBytesAreNotAllThere) {
    // The last guard before the rename: segments that claim every byte but do not cover the
    // file, or a temporary file of another length, keep the file temporary, in Error.
    struct Case {
        const char* name;
        std::vector<Segment> segments;
        int64_t tempLength;
        bool whole;
    } const cases[] = {
        {"a gap between finished segments", {{0, 499, 500}, {600, 999, 1000}}, 1000, false},
        {"overlapping finished segments", {{0, 599, 600}, {500, 999, 1000}}, 1000, false},
        {"a temporary file cut short", {{0, 999, 1000}}, 900, false},
        {"whole", {{500, 999, 1000}, {0, 499, 500}}, 1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool whole = c.whole;
        auto d = std::make_shared<DownloadItem>();
        d->id = 900;
        d->url = NginxUrl(L"/files/small.bin");
        d->path = dir.File(L"a.bin");
        d->fileName = L"a.bin";
        d->size = 1000;
        d->resumable = true;
        d->segments = c.segments;
        d->state = DownloadState::Downloading;
        const std::wstring temp = d->path + L".vonu";
        WriteBytes(temp, PatternBytes(static_cast<int64_t>(c.tempLength)));
        FinishDownload(Manager(), *d, temp);
        EXPECT_EQ(d->state, whole ? DownloadState::Complete : DownloadState::Error);
        EXPECT_EQ(FileExists(temp), !whole);
        EXPECT_EQ(FileExists(d->path), whole);
        if (!whole) {
            EXPECT_EQ(d->lastError, kFileIncomplete);
        }
        DeleteFileW(temp.c_str());
        DeleteFileW(d->path.c_str());
    }
}

TEST_F(Transfer, StopAndResumeKeepsEveryFinishedByte) {
    for (bool restartProgram : {false, true}) {
        SCOPED_TRACE(restartProgram ? "after a restart of the program" : "in the same program");
        tag = UniqueTag();
        const int64_t size = 8 * kMiB;
        auto d = Add(Seg(L"size=8388608&seed=3&rate=2000000"), 4);
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d, [&] { return d->DownloadedBytes() >= 2 * kMiB; }));
        StopDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        DownloadSnapshot stopped = Snap(d);
        EXPECT_EQ(stopped.state, DownloadState::Stopped);
        EXPECT_EQ(stopped.lastError, L"");
        ASSERT_TRUE(FileExists(PathOf(d) + L".vonu"));
        const int64_t kept = d->DownloadedBytes();
        EXPECT_GE(kept, 2 * kMiB);
        EXPECT_LT(kept, size);

        int32_t id = d->id;
        if (restartProgram) {
            ASSERT_TRUE(SaveList(Manager(), dir.path(), true).ok);
            {
                std::lock_guard guard(Manager().lock);
                if (d->worker.joinable()) d->worker.join();
                Manager().downloads.clear();
            }
            d.reset();
            ASSERT_TRUE(LoadList(Manager(), dir.path()).ok);
            std::lock_guard guard(Manager().lock);
            d = Manager().FindLocked(id);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->DownloadedBytes(), kept);
        }
        const size_t before = RangeStarts().size();
        StartDownload(Manager(), id);
        ASSERT_TRUE(Run(d));
        ExpectComplete(d, PatternBytes(size, 3));
        const auto starts = RangeStarts();
        EXPECT_EQ(std::count(starts.begin() + static_cast<long>(before), starts.end(), 0), 0)
            << "the resumed run asks for no byte it already had from the start";
        std::lock_guard guard(Manager().lock);
        std::erase(Manager().downloads, d);
    }
}

TEST_F(Transfer, PerServerLimitOfTwoHoldsAcrossDownloads) {
    {
        std::lock_guard guard(Manager().categoryLock);
        Manager().serverLimits.push_back(ServerLimit{L"127.0.0.1", 2});
    }
    const std::wstring group = tag;
    auto a = Add(FaultUrl(L"/seg?size=6291456&seed=1&rate=4000000&group=" + group + L"&tag=" + tag + L"a"), 4);
    auto b = Add(FaultUrl(L"/seg?size=6291456&seed=2&rate=4000000&group=" + group + L"&tag=" + tag + L"b"), 4);
    const int64_t probes = FaultStats(group).requests;
    StartDownload(Manager(), a->id);
    StartDownload(Manager(), b->id);
    ASSERT_TRUE(Run(a));
    ASSERT_TRUE(Run(b));
    ExpectComplete(a, PatternBytes(6 * kMiB, 1));
    ExpectComplete(b, PatternBytes(6 * kMiB, 2));
    const FaultCounts counts = FaultStats(group);
    EXPECT_EQ(counts.maxActive, 2) << "never more than two at once, and the two were used";
    EXPECT_GT(counts.requests, probes + 2);
}

TEST_F(Transfer, FastConnectionsSplitTheSlowOnesSegment) {
    const int64_t size = 16 * kMiB;
    // The response for the range at byte 0 is slow; every other one is fast.
    auto d = Add(Seg(L"size=16777216&seed=5&slow_below=1&slow_rate=1500000"), 2);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(size, 5));
    ExpectSegmentsTile(d, size);
    const DownloadSnapshot s = Snap(d);
    EXPECT_GT(s.segments.size(), 3u) << "the idle connection took halves of the slow segment";
    for (int64_t start : RangeStarts()) EXPECT_TRUE(start >= 0);
    EXPECT_LT(s.segments[0].end, 4 * kMiB) << "the slow connection stopped at its new end";
}

TEST_F(Transfer, ChangedFileOnTheServerFailsAtOnceAndTheNextStartBeginsFresh) {
    auto d = Add(Seg(L"size=4194304&seed=1&change_after=1&size2=5242880&seed2=9"), 4);
    ASSERT_EQ(Snap(d).size, 4 * kMiB);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    DownloadSnapshot s = Snap(d);
    EXPECT_EQ(s.state, DownloadState::Error);
    EXPECT_EQ(s.lastError, L"The file on the server has changed. Start the download again.");
    EXPECT_TRUE(s.segments.empty());
    EXPECT_LE(RangeStarts().size(), 4u) << "no retries: asking again cannot bring the old file back";
    EXPECT_FALSE(FileExists(PathOf(d) + L".vonu"));

    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(5 * kMiB, 9));
}

TEST_F(Transfer, FileTooLargeForTheDiskFailsBeforeAnyTransfer) {
    auto d = Add(FaultUrl(L"/headers?status=206&size=1&cr=bytes%200-0/1125899906842624&tag=" + tag), 8);
    ASSERT_EQ(Snap(d).size, 1125899906842624LL);
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d, nullptr, 20000));
    const DownloadSnapshot s = Snap(d);
    EXPECT_EQ(s.state, DownloadState::Error);
    EXPECT_EQ(s.lastError.rfind(L"Cannot create the file: ", 0), 0u) << WideToUtf8(s.lastError);
    EXPECT_GT(s.lastError.size(), std::wstring(L"Cannot create the file: ").size());
    EXPECT_EQ(RequestsWithTag(tag).size(), 1u) << "only the probe reached the server";
    EXPECT_FALSE(FileExists(PathOf(d) + L".vonu"));
}

TEST_F(Transfer, FinishedFileTakesAFreeNameWhenTheTargetAppeared) {
    auto d = Add(NginxUrl(L"/files/small.bin"), 8);
    const std::wstring first = PathOf(d);
    WriteBytes(first, "someone else's file");
    StartDownload(Manager(), d->id);
    ASSERT_TRUE(Run(d));
    ExpectComplete(d, PatternBytes(1000));
    EXPECT_EQ(PathOf(d), dir.File(L"small (2).bin"));
    EXPECT_EQ(Snap(d).fileName, L"small (2).bin");
    EXPECT_EQ(ReadBytes(first), "someone else's file");
}

TEST_F(Transfer, ZoneMarkNamesWhereTheFileCameFromWithoutUserInformation) {
    struct Case {
        std::wstring url, referrer, mark;
    } const cases[] = {
        {L"http://user:pw@127.0.0.1:" + std::to_wstring(Servers().http) + L"/files/small.bin",
         L"https://ref.test/page?x=1",
         L"[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=https://ref.test/page?x=1\r\nHostUrl=http://127.0.0.1:" +
             std::to_wstring(Servers().http) + L"/files/small.bin\r\n"},
        {NginxUrl(L"/files/one.bin"), L"",
         L"[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=" + NginxUrl(L"/files/one.bin") + L"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.url));
        DownloadOptions options;
        options.referrer = c.referrer;
        auto d = Add(c.url, 8, options);
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        EXPECT_EQ(Snap(d).state, DownloadState::Complete) << WideToUtf8(Snap(d).lastError);
        EXPECT_EQ(ReadBytes(PathOf(d) + L":Zone.Identifier"), WideToUtf8(c.mark));
    }
}

TEST_F(Transfer, AntivirusExitCodeMeansAThreatOnlyFromMpCmdRun) {
    struct Case {
        const wchar_t* exe;
        const wchar_t* exitCode;
        const wchar_t* args;
        DownloadState state;
    } const cases[] = {
        {L"MpCmdRun.exe", L"2", L"-Scan -ScanType 3 -File \"[file]\"", DownloadState::Error},
        {L"mpcmdrun.EXE", L"0", L"-Scan -ScanType 3 -File \"[file]\"", DownloadState::Complete},
        {L"OtherScanner.exe", L"2", L"/check", DownloadState::Complete},
    };
    TempFolder scanners;
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.exe));
        const std::wstring exe = scanners.File(c.exe);
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\scanner_standin.exe").c_str(), exe.c_str(), FALSE));
        SetEnvironmentVariableW(L"VONU_STANDIN_EXIT", c.exitCode);
        Manager().ScanOn = true;
        Manager().ScanExe = exe;
        Manager().ScanArgs = c.args;
        auto d = Add(NginxUrl(L"/files/small.bin"), 8);
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        const DownloadSnapshot s = Snap(d);
        EXPECT_EQ(s.state, c.state);
        if (c.state == DownloadState::Error) {
            EXPECT_EQ(s.lastError, L"The antivirus program found a threat in this file");
        }
        EXPECT_TRUE(FileExists(s.path)) << "the checked file stays in place either way";
        const std::string args = ReadBytes(exe + L".args");
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(args.data()), args.size() / 2),
                  ScanCommandLine(exe, c.args, s.path));
    }
    SetEnvironmentVariableW(L"VONU_STANDIN_EXIT", nullptr);
}

TEST(ScanCommand, FileGoesWhereTheArgumentsSayOrAfterThem) {
    EXPECT_EQ(ScanCommandLine(L"C:\\av\\MpCmdRun.exe", L"-Scan -File \"[file]\" -x [file]", L"D:\\a b.zip"),
              L"\"C:\\av\\MpCmdRun.exe\" -Scan -File \"D:\\a b.zip\" -x [file]");
    EXPECT_EQ(ScanCommandLine(L"C:\\av\\scan.exe", L"/quick", L"D:\\a b.zip"),
              L"\"C:\\av\\scan.exe\" /quick \"D:\\a b.zip\"");
    EXPECT_TRUE(ScanFoundThreat(L"C:\\x\\MPCMDRUN.exe", 2));
    EXPECT_FALSE(ScanFoundThreat(L"C:\\x\\MpCmdRun.exe", 1));
    EXPECT_FALSE(ScanFoundThreat(L"C:\\x\\MpCmdRun.exe.bak", 2));
    EXPECT_FALSE(ScanFoundThreat(L"C:\\x\\scan.exe", 2));
}

}  // namespace
}  // namespace vonu
