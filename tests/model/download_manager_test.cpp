#include "model/download_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vonu {
namespace {

TEST(DownloadManager, FreshDefaults) {
    DownloadManager m;
    EXPECT_EQ(m.MaxConn, 8u);
    EXPECT_EQ(m.MaxActive, 3u);
    EXPECT_EQ(m.SpeedLimitKB, 0);
    EXPECT_FALSE(m.LimiterOn);
    EXPECT_TRUE(m.ShowProgress);
    EXPECT_TRUE(m.ShowComplete);
    EXPECT_TRUE(m.Clipboard);
    EXPECT_TRUE(m.MinToTray);
    EXPECT_TRUE(m.BaseDir.empty());
    EXPECT_EQ(m.ProxyMode, 0u);
    EXPECT_FALSE(m.Sound);
    EXPECT_FALSE(m.ScanOn);
    EXPECT_TRUE(m.CheckUpdates);
    EXPECT_EQ(m.LastUpdateCheck, 0);
    EXPECT_EQ(m.MaxPerServer, 0);
    EXPECT_TRUE(m.Language.empty() && m.Proxy.empty() && m.PacUrl.empty() && m.UpdateUrl.empty());
    EXPECT_EQ(m.nextDownloadId, 1);
    EXPECT_EQ(m.nextQueueId, 2);
    EXPECT_FALSE(m.listDirty);
    EXPECT_TRUE(m.downloads.empty() && m.queues.empty() && m.completed.empty());
}

TEST(DownloadItem, FreshItemAndDownloadedBytes) {
    DownloadItem item;
    EXPECT_EQ(item.size, -1);
    EXPECT_EQ(item.state, DownloadState::Stopped);
    EXPECT_EQ(item.connections, 8);
    EXPECT_TRUE(item.segments.empty());
    EXPECT_EQ(item.DownloadedBytes(), 0);

    item.segments = {{0, 999, 500}, {1000, 1999, 1000}};
    EXPECT_EQ(item.DownloadedBytes(), 500);
    EXPECT_FALSE(item.segments[0].Finished());
    EXPECT_FALSE(item.segments[1].Finished());
    EXPECT_TRUE((Segment{0, 999, 1000}.Finished()));
    EXPECT_FALSE((Segment{0, -1, 5000}.Finished())) << "an open-ended segment is never finished";

    item.video = true;
    item.videoBytes = 12345;
    EXPECT_EQ(item.DownloadedBytes(), 12345) << "a video item counts its parts, not its segments";
}

TEST(DownloadManager, SnapshotCopiesFieldsAndBusySegments) {
    DownloadManager m;
    auto item = std::make_shared<DownloadItem>();
    item->id = 7;
    item->url = L"https://example.test/a.zip";
    item->userAgent = L"secret agent";
    item->cookie = L"sid=1";
    item->segments = {{0, 9, 5}, {10, 19, 10}, {20, 29, 30}};
    item->segmentBusy = {1, 0, 1};
    item->video = true;
    item->videoBytes = 3;
    item->partDone = {1, 0, 1, 1};
    item->partCount = 4;
    m.downloads.push_back(item);

    auto one = m.SnapshotOne(7);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->url, item->url);
    EXPECT_EQ(one->segments, item->segments);
    EXPECT_EQ(one->busySegments, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(one->downloaded, 3);
    EXPECT_EQ(one->partsDone, 3);
    EXPECT_FALSE(m.SnapshotOne(8).has_value());
    EXPECT_EQ(m.SnapshotAll().size(), 1u);
}

// A writer moves bytes from one segment to the other under the lock; every snapshot must
// see the same total, which it can only if it is taken whole under the lock.
TEST(DownloadManager, SnapshotsAreConsistentWhileAWorkerWrites) {
    DownloadManager m;
    auto item = std::make_shared<DownloadItem>();
    item->id = 1;
    item->segments = {{0, 999999, 0}, {1000000, 1999999, 1500000}};
    m.downloads.push_back(item);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop && i < 2000000; ++i) {
            std::lock_guard guard(m.lock);
            int64_t step = (item->segments[1].next > 1000000) ? 1 : -500000;
            item->segments[0].next += step;
            item->segments[1].next -= step;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        auto s = m.SnapshotAll();
        ASSERT_EQ(s.size(), 1u);
        ASSERT_EQ(s[0].downloaded, 500000);
    }
    stop = true;
    writer.join();
}

TEST(DownloadManager, RemovedItemOutlivesItsThread) {
    DownloadManager m;
    auto item = std::make_shared<DownloadItem>();
    item->id = 3;
    m.downloads.push_back(item);
    std::weak_ptr<DownloadItem> watch = item;
    std::atomic<bool> removed{false};
    std::thread worker([held = m.downloads[0], &removed] {
        while (!removed) std::this_thread::yield();
        held->lastError = L"still usable";  // the list no longer holds it
    });
    item.reset();
    {
        std::lock_guard guard(m.lock);
        m.downloads.clear();
    }
    EXPECT_FALSE(watch.expired()) << "the worker's reference keeps the item alive";
    removed = true;
    worker.join();
    EXPECT_TRUE(watch.expired());
}

TEST(DownloadManager, QueuesAndHandOffLists) {
    DownloadManager m;
    DownloadQueue q;
    q.id = 1;
    q.name = L"Default queue";
    q.running = true;
    q.lastStartStamp = DateStamp(2026, 12, 8);
    m.queues.push_back(q);
    EXPECT_EQ(DateStamp(2026, 12, 8), 2026 * 400 + 12 * 32 + 8);
    EXPECT_TRUE(m.IsQueueRunning(1));
    EXPECT_FALSE(m.IsQueueRunning(2));
    auto copy = m.CopyQueues();
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(copy[0].lastStartStamp, -1) << "the copy leaves the scheduler's stamps out";

    m.completed = {4, 5};
    m.finishedQueues.push_back({1, 0, L"Default queue"});
    EXPECT_EQ(m.TakeCompleted(), (std::vector<int32_t>{4, 5}));
    EXPECT_TRUE(m.TakeCompleted().empty());
    EXPECT_EQ(m.TakeFinishedQueues().size(), 1u);
    EXPECT_TRUE(m.finishedQueues.empty());
}

}  // namespace
}  // namespace vonu
