#include "engine/speed_limiter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vonu {
namespace {

// The limiter's accuracy over time is measured by bench/limiter_bench. These tests check
// what holds on any machine however loaded: no more passes than the bucket plus the rate
// allows, nothing waits when it must not, and nothing waits forever.

TEST(SpeedLimiter, RateFollowsTheSettings) {
    DownloadManager m;
    const struct {
        bool on;
        int32_t kb;
        double rate;
    } cases[] = {{true, 100, 102400}, {false, 100, 0}, {true, 0, 0}, {true, -5, 0}, {true, 1, 1024}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kb);
        m.LimiterOn = c.on;
        m.SpeedLimitKB = c.kb;
        SetLimiterRate(m);
        EXPECT_EQ(Limiter().Rate(), c.rate);
    }
    m.LimiterOn = false;
    SetLimiterRate(m);
}

TEST(SpeedLimiter, NeverPassesMoreThanTheBucketAndTheRate) {
    SpeedLimiter limiter;
    const double rate = 400 * 1024;  // bucket: 100 KiB
    limiter.SetRate(rate);
    std::atomic<bool> cancel{false};
    std::atomic<int64_t> passed{0};
    const ULONGLONG start = GetTickCount64();
    std::vector<std::thread> takers;
    for (int t = 0; t < 4; ++t)
        takers.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                limiter.Take(16384, cancel);
                passed += 16384;
            }
        });
    for (auto& t : takers) t.join();
    const double seconds = (GetTickCount64() - start) / 1000.0;
    // 1.6 MB through a bucket of at most 100 KiB plus what the tick count may have run
    // ahead since the limiter was made (one tick of 16 ms on Windows).
    const double allowed = 100 * 1024 + rate * (seconds + 0.016);
    EXPECT_LE(static_cast<double>(passed), allowed) << seconds << " s";
    EXPECT_LT(seconds, 30.0) << "the takers finished";
}

TEST(SpeedLimiter, NoLimitAndCancelNeverWait) {
    SpeedLimiter limiter;
    std::atomic<bool> cancel{false};
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < 100000; ++i) limiter.Take(65536, cancel);  // 6.5 GB with no limit
    limiter.SetRate(1024);  // 1 KB per second: the next 64 KiB would take a minute
    std::atomic<bool> returned{false};
    std::thread taker([&] {
        limiter.Take(65536, cancel);
        returned = true;
    });
    Sleep(300);
    EXPECT_FALSE(returned) << "the limit holds the chunk back";
    cancel = true;
    taker.join();
    EXPECT_LT(GetTickCount64() - start, 20000u);
    limiter.Take(65536, cancel);  // already cancelled: at once
}

TEST(SpeedLimiter, TurningTheLimitOffReleasesWaitingTakers) {
    SpeedLimiter limiter;
    limiter.SetRate(1024);
    std::atomic<bool> cancel{false};
    std::atomic<bool> returned{false};
    std::thread taker([&] {
        limiter.Take(65536, cancel);
        returned = true;
    });
    Sleep(300);
    EXPECT_FALSE(returned);
    limiter.SetRate(0);
    taker.join();  // would hang for a minute if the change were not seen
    EXPECT_TRUE(returned);
}

TEST(SpeedLimiter, ChunkLargerThanTheBucketStillPasses) {
    SpeedLimiter limiter;
    limiter.SetRate(1024 * 1024);  // bucket 256 KiB
    std::atomic<bool> cancel{false};
    std::atomic<bool> returned{false};
    std::thread taker([&] {
        limiter.Take(4 * 1024 * 1024, cancel);
        returned = true;
    });
    for (int i = 0; i < 200 && !returned; ++i) Sleep(50);
    if (!returned) cancel = true;  // so the test ends either way
    taker.join();
    EXPECT_TRUE(returned) << "a chunk above the bucket's size must not wait forever";
}

}  // namespace
}  // namespace vonu
