// The segment arithmetic: first split, resume merge, and the choice of work with splitting
// and per-server limits across downloads.
#include "engine/segments.h"

#include <gtest/gtest.h>

#include <mutex>

namespace vonu {
namespace {

TEST(InitialSegments, OnePerWholeMiBUpToTheConnections) {
    struct Case {
        int64_t size;
        bool resumable;
        int32_t connections;
        std::vector<Segment> expect;
    } const cases[] = {
        {100 * kMiB, true, 8, {}},  // checked below: 8 x 12.5 MiB
        {kMiB + kMiB / 2, true, 8, {{0, kMiB + kMiB / 2 - 1, 0}}},
        {3 * kMiB, true, 8, {{0, kMiB - 1, 0}, {kMiB, 2 * kMiB - 1, kMiB}, {2 * kMiB, 3 * kMiB - 1, 2 * kMiB}}},
        {1000, true, 8, {{0, 999, 0}}},
        {10 * kMiB + 7, true, 3, {{0, 3495254, 0}, {3495255, 6990509, 3495255}, {6990510, 10 * kMiB + 6, 6990510}}},
        {64 * kMiB, false, 8, {{0, 64 * kMiB - 1, 0}}},
        {-1, false, 8, {{0, -1, 0}}},
        {0, false, 8, {{0, -1, 0}}},
        {5 * kMiB, true, 0, {{0, 5 * kMiB - 1, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.resumable ? " resumable " : " plain ") << c.connections);
        const auto got = InitialSegments(c.size, c.resumable, c.connections);
        if (c.size == 100 * kMiB) {
            ASSERT_EQ(got.size(), 8u);
            for (size_t i = 0; i < 8; ++i) {
                EXPECT_EQ(got[i].start, static_cast<int64_t>(i) * 12.5 * kMiB);
                EXPECT_EQ(got[i].end - got[i].start + 1, 12.5 * kMiB);
                EXPECT_EQ(got[i].next, got[i].start);
            }
            continue;
        }
        EXPECT_EQ(got, c.expect);
    }
}

TEST(MergeResumedSegments, FinishedSegmentsAbsorbTheirNeighbour) {
    struct Case {
        const char* name;
        std::vector<Segment> in, out;
    } const cases[] = {
        {"unsorted, nothing finished", {{100, 199, 150}, {0, 99, 50}}, {{0, 99, 50}, {100, 199, 150}}},
        {"finished then running", {{0, 99, 100}, {100, 199, 150}}, {{0, 199, 150}}},
        {"chain of finished", {{0, 9, 10}, {10, 19, 20}, {20, 29, 25}}, {{0, 29, 25}}},
        {"gap keeps both", {{0, 9, 10}, {20, 29, 25}}, {{0, 9, 10}, {20, 29, 25}}},
        {"running then finished", {{0, 9, 5}, {10, 19, 20}}, {{0, 9, 5}, {10, 19, 20}}},
        {"all finished", {{10, 19, 20}, {0, 9, 10}}, {{0, 19, 20}}},
        {"split segments out of order", {{0, 49, 50}, {75, 99, 80}, {50, 74, 75}}, {{0, 99, 80}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MergeResumedSegments(c.in), c.out);
    }
}

class PickSegmentTest : public testing::Test {
protected:
    void TearDown() override {
        {
            std::lock_guard guard(m.categoryLock);
            m.serverLimits.clear();
        }
        m.MaxPerServer = 0;
        for (auto& d : m.downloads) d->workerRunning = false;
        m.downloads.clear();
    }
    std::shared_ptr<DownloadItem> Add(const std::wstring& url, std::vector<Segment> segments, bool resumable = true) {
        auto d = std::make_shared<DownloadItem>();
        d->id = static_cast<int32_t>(m.downloads.size() + 1);
        d->url = url;
        d->resumable = resumable;
        d->segments = std::move(segments);
        d->segmentBusy.assign(d->segments.size(), 0);
        d->workerRunning = true;
        m.downloads.push_back(d);
        return d;
    }
    DownloadManager m;
};

TEST_F(PickSegmentTest, FreeWorkFirstThenTheSecondHalfOfTheLargestBusySegment) {
    auto d = Add(L"http://h.test/f", {{0, 10 * kMiB - 1, 0}, {10 * kMiB, 12 * kMiB - 1, 12 * kMiB}});
    EXPECT_EQ(PickSegment(m, *d), 0);  // the finished second one is not work
    EXPECT_EQ(d->segmentBusy[0], 1);
    // Segment 0 has 10 MiB left: an idle connection takes its second 5 MiB.
    EXPECT_EQ(PickSegment(m, *d), 2);
    ASSERT_EQ(d->segments.size(), 3u);
    EXPECT_EQ(d->segments[0], (Segment{0, 5 * kMiB - 1, 0}));
    EXPECT_EQ(d->segments[2], (Segment{5 * kMiB, 10 * kMiB - 1, 5 * kMiB}));
    EXPECT_EQ(d->segmentBusy[2], 1);
    // Segment 0 now has the most left (5 MiB against 4): it is split again.
    d->segments[2].next += kMiB;
    EXPECT_EQ(PickSegment(m, *d), 3);
    EXPECT_EQ(d->segments[0].end, 2.5 * kMiB - 1);
    EXPECT_EQ(d->segments[3].start, 2.5 * kMiB);
}

TEST_F(PickSegmentTest, NoSplitBelowTwoMiBNorOfOpenOrPlainDownloads) {
    auto small = Add(L"http://h.test/a", {{0, 3 * kMiB - 1, kMiB + 1}});
    small->segmentBusy[0] = 1;  // 2 MiB - 1 left
    EXPECT_EQ(PickSegment(m, *small), kNoWork);
    small->segments[0].next = kMiB;  // exactly 2 MiB left: splits into two 1 MiB halves
    EXPECT_EQ(PickSegment(m, *small), 1);
    EXPECT_EQ(small->segments[1].start, 2 * kMiB);

    auto open = Add(L"http://h.test/b", {{0, -1, 0}}, false);
    EXPECT_EQ(PickSegment(m, *open), 0);
    EXPECT_EQ(PickSegment(m, *open), kNoWork);
    open->segmentBusy[0] = 0;
    open->endReached = true;
    EXPECT_EQ(PickSegment(m, *open), kNoWork) << "an open segment ends when its stream has ended";

    auto plain = Add(L"http://h.test/c", {{0, 64 * kMiB - 1, 0}}, false);
    plain->segmentBusy[0] = 1;
    EXPECT_EQ(PickSegment(m, *plain), kNoWork) << "without ranges nothing can be split";

    auto cancelled = Add(L"http://h.test/d", {{0, 99, 0}});
    cancelled->cancel = true;
    EXPECT_EQ(PickSegment(m, *cancelled), kNoWork);
}

TEST_F(PickSegmentTest, ServerLimitCountsBusyConnectionsOfRunningDownloadsOnThatHost) {
    {
        std::lock_guard guard(m.categoryLock);
        m.serverLimits.push_back(ServerLimit{L"limited.test", 2});
    }
    auto first = Add(L"http://limited.test/a", InitialSegments(8 * kMiB, true, 4));
    auto second = Add(L"https://LIMITED.test:8443/b", InitialSegments(8 * kMiB, true, 4));
    auto elsewhere = Add(L"http://other.test/c", InitialSegments(8 * kMiB, true, 4));
    auto idle = Add(L"http://limited.test/d", InitialSegments(8 * kMiB, true, 4));
    idle->workerRunning = false;
    idle->segmentBusy.assign(4, 1);  // a download that is not running counts nothing

    EXPECT_EQ(PickSegment(m, *first), 0);
    EXPECT_EQ(PickSegment(m, *first), 1);
    EXPECT_EQ(PickSegment(m, *first), kServerLimitReached);
    EXPECT_EQ(PickSegment(m, *second), kServerLimitReached) << "the host is shared, port and case aside";
    EXPECT_EQ(PickSegment(m, *elsewhere), 0);
    first->segmentBusy[1] = 0;
    EXPECT_EQ(PickSegment(m, *second), 0);

    m.MaxPerServer = 1;  // the setting applies to hosts without a rule of their own
    EXPECT_EQ(PickSegment(m, *elsewhere), kServerLimitReached);
}

}  // namespace
}  // namespace vonu
