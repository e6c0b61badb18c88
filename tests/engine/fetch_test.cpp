// FetchToMemory and FetchUpdateFile against nginx and the fault server: caps, progress,
// short bodies and stops.
#include "engine/fetch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/http_request.h"
#include "engine/speed_limiter.h"
#include "manager/control.h"
#include "manager/worker_entry.h"
#include "model/text_encoding.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::FaultUrl;
using test::NginxUrl;

class FetchTest : public test::HttpServersTest {
protected:
    std::string bytes;
    std::wstring error;
};

TEST_F(FetchTest, WholeBodiesWithFinalAddressAndType) {
    DownloadRun run;  // no download behind these fetches, as for the site grabber
    std::wstring final, type;
    ASSERT_TRUE(FetchToMemory(Manager(), run, {}, NginxUrl(L"/files/4mib.bin"), bytes, error, nullptr, &final, &type,
                              64u << 20))
        << WideToUtf8(error);
    EXPECT_TRUE(bytes == test::PatternBytes(4 << 20));
    ASSERT_TRUE(FetchToMemory(Manager(), run, {}, NginxUrl(L"/moved"), bytes, error, nullptr, &final, &type, 1 << 20))
        << WideToUtf8(error);
    EXPECT_EQ(bytes, test::PatternBytes(1000));
    EXPECT_TRUE(final.ends_with(L"/files/small.bin")) << WideToUtf8(final);
    EXPECT_EQ(type, L"application/octet-stream");
    ASSERT_TRUE(FetchToMemory(Manager(), run, {}, NginxUrl(L"/files/empty.bin"), bytes, error, nullptr, nullptr,
                              nullptr, 1 << 20));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(FetchToMemory(Manager(), run, {}, test::HttpsUrl(L"/files/one.bin"), bytes, error, nullptr, nullptr,
                              nullptr, 1 << 20))
        << WideToUtf8(error);
    EXPECT_EQ(bytes, test::PatternBytes(1));
    EXPECT_TRUE(run.openRequests.empty());
}

TEST_F(FetchTest, FilesATestWritesAreServedBack) {
    const std::wstring folder = test::Servers().files + L"\\" + tag;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    test::WriteBytes(folder + L"\\list.m3u8", "#EXTM3U\n");
    ASSERT_TRUE(FetchToMemory(Manager(), *item, NginxUrl(L"/files/" + tag + L"/list.m3u8"), bytes, error, false,
                              nullptr, nullptr, 1 << 20))
        << WideToUtf8(error);
    EXPECT_EQ(bytes, "#EXTM3U\n");
    test::RemoveTree(folder);
}

TEST_F(FetchTest, TheCapHoldsOnLargeAndEndlessBodies) {
    const size_t cap = 16u << 20;
    ASSERT_TRUE(FetchToMemory(Manager(), *item, NginxUrl(L"/files/20mib.bin"), bytes, error, false, nullptr,
                              nullptr, cap))
        << WideToUtf8(error);
    EXPECT_GE(bytes.size(), cap);
    EXPECT_LT(bytes.size(), cap + 65536);
    EXPECT_TRUE(bytes == test::PatternBytes(static_cast<int64_t>(bytes.size())));

    ASSERT_TRUE(FetchToMemory(Manager(), *item, FaultUrl(L"/endless?tag=" + tag), bytes, error, false, nullptr,
                              nullptr, 1 << 20))
        << WideToUtf8(error);
    EXPECT_GE(bytes.size(), 1u << 20);
    EXPECT_LT(bytes.size(), (1u << 20) + 65536);
}

TEST_F(FetchTest, ProgressCountsIntoVideoBytes) {
    item->videoBytes = 1234;
    ASSERT_TRUE(FetchToMemory(Manager(), *item, NginxUrl(L"/files/4mib.bin"), bytes, error, true, nullptr,
                              nullptr, 64u << 20));
    EXPECT_EQ(item->videoBytes, 1234 + (4 << 20));
}

TEST_F(FetchTest, ABodyShorterThanAnnouncedFails) {
    item->videoBytes = 10;
    EXPECT_FALSE(FetchToMemory(Manager(), *item, FaultUrl(L"/short?claim=100000&send=1000&tag=" + tag), bytes,
                               error, true, nullptr, nullptr, 1 << 20));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(item->videoBytes, 10) << "the counted bytes are taken back";
}

TEST_F(FetchTest, AStopDuringATrickleEndsWithinASecond) {
    item->videoBytes = 777;
    std::atomic<ULONGLONG> stoppedAt{0};
    std::thread stopper([&] {
        Sleep(500);
        stoppedAt = GetTickCount64();
        item->cancel = true;
        CloseOpenRequests(Manager(), *item);
    });
    bool ok = FetchToMemory(Manager(), *item, FaultUrl(L"/trickle?chunk=512&pause=50&tag=" + tag), bytes, error,
                            true, nullptr, nullptr, 64u << 20);
    ULONGLONG endedAt = GetTickCount64();
    stopper.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, L"Cancelled");
    EXPECT_FALSE(bytes.empty()) << "data was flowing when the stop came";
    EXPECT_LT(endedAt - stoppedAt, 1000u);
    EXPECT_EQ(item->videoBytes, 777) << "a cancelled fetch leaves the video bytes as they were";
    EXPECT_TRUE(item->openRequests.empty());
}

TEST_F(FetchTest, OneStopEndsEveryOpenRequestOfTheDownload) {
    // Like the connections of one transfer: three requests of one item at once.
    std::string parts[3];
    std::wstring errors[3];
    bool results[3] = {true, true, true};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&, i] {
            results[i] = FetchToMemory(Manager(), *item, FaultUrl(L"/trickle?chunk=256&pause=40&tag=" + tag), parts[i],
                                       errors[i], false, nullptr, nullptr, 64u << 20);
        });
    ASSERT_TRUE(test::WaitUntilTrue(5000, [&] {
        std::lock_guard guard(Manager().lock);
        return item->openRequests.size() == 3;
    }));
    ULONGLONG stoppedAt = GetTickCount64();
    item->cancel = true;
    CloseOpenRequests(Manager(), *item);
    for (auto& t : readers) t.join();
    EXPECT_LT(GetTickCount64() - stoppedAt, 1000u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(results[i]);
        EXPECT_EQ(errors[i], L"Cancelled");
    }
    EXPECT_TRUE(item->openRequests.empty());
}

TEST_F(FetchTest, ARequestKeepsItsSessionWhenTheSessionIsReopened) {
    std::wstring e;
    bool ok = false;
    std::thread reader([&] {
        ok = FetchToMemory(Manager(), *item, FaultUrl(L"/trickle?chunk=1000&pause=30&size=20000&tag=" + tag), bytes, e,
                           false, nullptr, nullptr, 1u << 20);
    });
    ASSERT_TRUE(test::WaitUntilTrue(5000, [&] {
        std::lock_guard guard(Manager().lock);
        return !item->openRequests.empty();
    }));
    HINTERNET before = HttpSession();
    OpenHttpSession();  // the options were confirmed while the request runs
    EXPECT_NE(HttpSession(), before);
    reader.join();
    EXPECT_TRUE(ok) << WideToUtf8(e);
    EXPECT_EQ(bytes.size(), 20000u);
    EXPECT_TRUE(bytes == test::PatternBytes(20000));
}

TEST_F(FetchTest, TheStopOperationClosesTheRequestsOfTheDownload) {
    // As start-up installs it: stop and remove close the item's requests.
    SetRequestCloser(CloseOpenRequestsLocked);
    item->id = 4242;
    item->state = DownloadState::Downloading;
    {
        std::lock_guard guard(Manager().lock);
        Manager().downloads.push_back(item);
    }
    std::atomic<ULONGLONG> stoppedAt{0};
    std::thread stopper([&] {
        Sleep(500);
        stoppedAt = GetTickCount64();
        StopDownload(Manager(), 4242);
    });
    bool ok = FetchToMemory(Manager(), *item, FaultUrl(L"/trickle?chunk=512&pause=50&tag=" + tag), bytes, error,
                            false, nullptr, nullptr, 64u << 20);
    ULONGLONG endedAt = GetTickCount64();
    stopper.join();
    SetRequestCloser(nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, L"Cancelled");
    EXPECT_LT(endedAt - stoppedAt, 1000u);
    EXPECT_EQ(item->state, DownloadState::Stopped);
}

TEST_F(FetchTest, CountedPiecesPassTheSpeedLimiter) {
    Manager().LimiterOn = true;
    Manager().SpeedLimitKB = 256;
    SetLimiterRate();
    // 512 KiB at 256 KiB/s: the bucket lets at most 64 KiB through at once, so the fetch
    // cannot take less than (512 - 64) / 256 s. A bound from below, never a speed goal.
    ULONGLONG start = GetTickCount64();
    bool ok = FetchToMemory(Manager(), *item, FaultUrl(L"/file?size=524288&tag=" + tag), bytes, error, true, nullptr,
                            nullptr, 1u << 20);
    ULONGLONG took = GetTickCount64() - start;
    Manager().LimiterOn = false;
    SetLimiterRate();
    ASSERT_TRUE(ok) << WideToUtf8(error);
    EXPECT_EQ(bytes.size(), 524288u);
    EXPECT_GE(took, 1650u);
}

TEST_F(FetchTest, AStopAgainstAStalledServerEndsCancelled) {
    // Windows ends the blocked read when the handle closes; Wine only at the 30 s receive
    // time-out. Either way the result is "Cancelled", not a time-out.
    std::thread stopper([&] {
        Sleep(300);
        item->cancel = true;
        CloseOpenRequests(Manager(), *item);
    });
    EXPECT_FALSE(FetchToMemory(Manager(), *item, FaultUrl(L"/stall?tag=" + tag), bytes, error, false, nullptr,
                               nullptr, 1 << 20));
    stopper.join();
    EXPECT_EQ(error, L"Cancelled");
}

TEST_F(FetchTest, UpdateFileReportsLengthAndProgressAndHonoursItsCaps) {
    std::atomic<int64_t> progress{0};
    std::atomic<bool> cancel{false};
    int64_t length = 0;
    ASSERT_TRUE(FetchUpdateFile(NginxUrl(L"/files/4mib.bin"), bytes, progress, length, cancel, error))
        << WideToUtf8(error);
    EXPECT_EQ(length, 4 << 20);
    EXPECT_EQ(progress.load(), 4 << 20);
    EXPECT_TRUE(bytes == test::PatternBytes(4 << 20));

    // No Content-Length (chunked) and more than 64 MiB.
    progress = 0;
    EXPECT_FALSE(FetchUpdateFile(FaultUrl(L"/endless?tag=" + tag), bytes, progress, length, cancel, error));
    EXPECT_EQ(error, L"Download failed");
    EXPECT_EQ(length, -1);
    EXPECT_GT(progress.load(), 64 << 20);

    cancel = true;
    EXPECT_FALSE(FetchUpdateFile(NginxUrl(L"/files/small.bin"), bytes, progress, length, cancel, error));
    EXPECT_EQ(error, L"Cancelled");

    cancel = false;
    EXPECT_FALSE(FetchUpdateFile(FaultUrl(L"/status/404?tag=" + tag), bytes, progress, length, cancel, error));
    EXPECT_EQ(error, L"HTTP 404: file not found on the server");
}

}  // namespace
}  // namespace vonu
