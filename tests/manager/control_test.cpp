#include "manager/control.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>

#include "manager/worker_entry.h"
#include "model/data_folder.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;

// A worker of the tests' own that keeps the run's contract (manager/worker_entry.h): it
// runs until cancelled, polling every 5 ms, may take its time to end, then sets Stopped
// unless a restart is pending and clears its running flag last. It counts the runs and
// how many run at once.
struct WorkerLog {
    std::atomic<int> running{0};
    std::atomic<int> maxRunning{0};
    std::atomic<int> runs{0};
    std::atomic<int> endingDelayMs{0};
} g_log;

void TestWorker(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    const int now = ++g_log.running;
    int seen = g_log.maxRunning;
    while (now > seen && !g_log.maxRunning.compare_exchange_weak(seen, now)) {
    }
    ++g_log.runs;
    while (!item->cancel) Sleep(5);
    Sleep(g_log.endingDelayMs);  // closing files and joining connections takes a moment
    {
        std::lock_guard guard(m.lock);
        if (item->state == DownloadState::Downloading && !item->restartPending)
            item->state = DownloadState::Stopped;
        m.listDirty = true;
    }
    --g_log.running;
    item->workerRunning.exchange(false);
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms = 5000) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        Sleep(2);
    }
    return true;
}

// The manager tick's steps that concern a run's end: join a worker that has cleared its
// flag, and start an item whose restart is pending once its worker is gone.
void ReapAndRestart(DownloadManager& m) {
    std::lock_guard guard(m.lock);
    for (const auto& item : m.downloads) {
        if (!item->workerRunning && item->worker.joinable()) item->worker.join();
        if (item->restartPending && !item->workerRunning) StartLocked(m, item);
    }
}

class Control : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.running = g_log.maxRunning = g_log.runs = g_log.endingDelayMs = 0;
        SetTransferWorker(TestWorker);
        m.queues = {{1, L"Default queue", 3}, {2, L"Second", 3}};
        m.nextQueueId = 3;
    }
    void TearDown() override {
        (void)StopEverything(m, dir.path());  // every thread joined before the items go
        SetTransferWorker(nullptr);
    }

    std::shared_ptr<DownloadItem> Add(int32_t id, DownloadState state, int32_t queue = 0) {
        auto d = std::make_shared<DownloadItem>();
        d->id = id;
        d->url = L"http://127.0.0.1/file" + std::to_wstring(id);
        d->state = state;
        d->queueId = queue;
        m.downloads.push_back(d);
        return d;
    }
    DownloadState StateOf(int32_t id) {
        std::lock_guard guard(m.lock);
        return m.FindLocked(id)->state;
    }
    // As the queue runner starts an item.
    void StartByQueue(const std::shared_ptr<DownloadItem>& d, int32_t queue) {
        std::lock_guard guard(m.lock);
        StartLocked(m, d);
        d->runQueueId = queue;
    }

    TempFolder dir;
    DownloadManager m;
};

TEST_F(Control, StartSetsUpTheRunAndStopEndsIt) {
    auto d = Add(1, DownloadState::Error);
    d->lastError = L"old failure";
    d->segments = {{0, 999, 400}};
    d->runQueueId = 2;
    StartDownload(m, 1);
    {
        std::lock_guard guard(m.lock);
        EXPECT_EQ(d->state, DownloadState::Downloading);
        EXPECT_TRUE(d->lastError.empty());
        EXPECT_GT(d->lastStart, 0);
        EXPECT_EQ(d->bytesAtStart, 400);
        EXPECT_EQ(d->runQueueId, 0) << "started by hand";
        EXPECT_TRUE(d->workerRunning);
        EXPECT_TRUE(m.listDirty);
    }
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 1; }));
    StopDownload(m, 1);
    EXPECT_EQ(StateOf(1), DownloadState::Stopped);
    ASSERT_TRUE(WaitFor([&] { return !d->workerRunning; }));
    EXPECT_EQ(StateOf(1), DownloadState::Stopped);

    auto done = Add(2, DownloadState::Complete);
    StartDownload(m, 2);
    EXPECT_EQ(StateOf(2), DownloadState::Complete);
    EXPECT_FALSE(done->workerRunning);
    StartDownload(m, 99);  // unknown ids are ignored
    EXPECT_EQ(g_log.runs, 1);
}

TEST_F(Control, StopThenStartWhileTheWorkerEndsGivesOneRunAfterTheOther) {
    g_log.endingDelayMs = 150;
    auto d = Add(1, DownloadState::Stopped);
    StartDownload(m, 1);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 1; }));
    StopDownload(m, 1);
    StartDownload(m, 1);
    {
        std::lock_guard guard(m.lock);
        EXPECT_TRUE(d->workerRunning) << "the old worker is still ending";
        EXPECT_TRUE(d->restartPending);
        EXPECT_EQ(d->state, DownloadState::Downloading);
    }
    ASSERT_TRUE(WaitFor([&] {
        ReapAndRestart(m);
        return g_log.runs == 2;
    }));
    EXPECT_EQ(g_log.maxRunning, 1) << "never two runs at once";
    EXPECT_EQ(StateOf(1), DownloadState::Downloading);
    EXPECT_FALSE(d->restartPending);
    EXPECT_FALSE(d->cancel) << "the new run starts uncancelled";
}

TEST_F(Control, StopThenStartAgainAndAgainNeverOverlaps) {
    g_log.endingDelayMs = 20;
    auto d = Add(1, DownloadState::Stopped);
    for (int i = 0; i < 15; ++i) {
        StartDownload(m, 1);
        Sleep(i % 3 * 10);
        StopDownload(m, 1);
        StartDownload(m, 1);
        ReapAndRestart(m);
    }
    ASSERT_TRUE(WaitFor([&] {
        ReapAndRestart(m);
        std::lock_guard guard(m.lock);
        return !d->restartPending && d->workerRunning;
    }));
    EXPECT_EQ(g_log.maxRunning, 1);
    EXPECT_EQ(StateOf(1), DownloadState::Downloading);
}

TEST_F(Control, StopAllStopsQueuesAndEveryRun) {
    auto a = Add(1, DownloadState::Queued, 2);
    auto b = Add(2, DownloadState::Queued, 2);
    auto c = Add(3, DownloadState::Queued, 2);
    StartQueue(m, 2);
    EXPECT_TRUE(m.IsQueueRunning(2));
    StartByQueue(a, 2);
    StartByQueue(b, 2);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 2; }));
    StopAll(m);
    EXPECT_FALSE(m.IsQueueRunning(2));
    EXPECT_EQ(StateOf(1), DownloadState::Stopped);
    EXPECT_EQ(StateOf(2), DownloadState::Stopped);
    EXPECT_EQ(StateOf(3), DownloadState::Queued) << "a waiting item keeps waiting";
    ASSERT_TRUE(WaitFor([&] { return !a->workerRunning && !b->workerRunning; }));
    EXPECT_EQ(StateOf(1), DownloadState::Stopped);
}

TEST_F(Control, StopQueueRequeuesOnlyWhatItStarted) {
    auto d3 = Add(3, DownloadState::Queued, 2);
    auto d4 = Add(4, DownloadState::Queued, 2);
    auto d5 = Add(5, DownloadState::Queued, 2);
    StartQueue(m, 2);
    StartByQueue(d3, 2);
    StartByQueue(d4, 2);
    StartDownload(m, 5);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 3; }));
    StopQueue(m, 2);
    EXPECT_FALSE(m.IsQueueRunning(2));
    EXPECT_EQ(StateOf(3), DownloadState::Queued);
    EXPECT_EQ(StateOf(4), DownloadState::Queued);
    EXPECT_EQ(StateOf(5), DownloadState::Downloading);
    ASSERT_TRUE(WaitFor([&] { return !d3->workerRunning && !d4->workerRunning; }));
    EXPECT_EQ(StateOf(3), DownloadState::Queued) << "the ending worker leaves it waiting";
    EXPECT_TRUE(d5->workerRunning);
    EXPECT_FALSE(d5->cancel);
}

TEST_F(Control, QueuedItemStoppedByHandLeavesTheLine) {
    Add(1, DownloadState::Queued, 2);
    StopDownload(m, 1);
    EXPECT_EQ(StateOf(1), DownloadState::Stopped);
}

TEST_F(Control, AddAndRemoveQueues) {
    m.MaxActive = 5;
    const int32_t q = AddQueue(m, L"Night");
    EXPECT_EQ(q, 3);
    EXPECT_EQ(AddQueue(m, L"Day"), 4);
    auto queues = m.CopyQueues();
    ASSERT_EQ(queues.size(), 4u);
    EXPECT_EQ(queues[2].name, L"Night");
    EXPECT_EQ(queues[2].maxActive, 5);
    EXPECT_FALSE(queues[2].running || queues[2].startOn || queues[2].stopOn);

    auto a = Add(1, DownloadState::Queued, 2);
    Add(2, DownloadState::Queued, 2);
    Add(3, DownloadState::Stopped, 2);
    Add(4, DownloadState::Queued, 3);
    StartQueue(m, 2);
    StartByQueue(a, 2);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 1; }));
    RemoveQueue(m, 2);
    queues = m.CopyQueues();
    ASSERT_EQ(queues.size(), 3u);
    EXPECT_EQ(queues[0].id, 1);
    EXPECT_EQ(queues[1].id, 3);
    EXPECT_EQ(queues[2].id, 4);
    std::lock_guard guard(m.lock);
    EXPECT_EQ(m.downloads[0]->queueId, 1);
    EXPECT_EQ(m.downloads[0]->state, DownloadState::Queued) << "the running one went back to waiting";
    EXPECT_EQ(m.downloads[1]->queueId, 1);
    EXPECT_EQ(m.downloads[1]->state, DownloadState::Queued);
    EXPECT_EQ(m.downloads[2]->queueId, 1);
    EXPECT_EQ(m.downloads[2]->state, DownloadState::Stopped);
    EXPECT_EQ(m.downloads[3]->queueId, 3);
}

TEST_F(Control, DefaultQueueCannotBeRemoved) {
    Add(1, DownloadState::Queued, 1);
    RemoveQueue(m, 1);
    RemoveQueue(m, 42);
    EXPECT_EQ(m.CopyQueues().size(), 2u);
    EXPECT_EQ(StateOf(1), DownloadState::Queued);
}

TEST_F(Control, MoveToQueueAndRemoveFromQueue) {
    Add(1, DownloadState::Error);
    Add(2, DownloadState::Stopped);
    Add(3, DownloadState::Complete);
    auto running = Add(4, DownloadState::Stopped);
    StartDownload(m, 4);
    MoveToQueue(m, 1, 2);
    MoveToQueue(m, 2, 7);  // no such queue
    MoveToQueue(m, 3, 2);
    MoveToQueue(m, 4, 2);
    std::unique_lock guard(m.lock);
    EXPECT_EQ(m.downloads[0]->state, DownloadState::Queued);
    EXPECT_EQ(m.downloads[0]->queueId, 2);
    EXPECT_EQ(m.downloads[1]->state, DownloadState::Stopped);
    EXPECT_EQ(m.downloads[1]->queueId, 0);
    EXPECT_EQ(m.downloads[2]->state, DownloadState::Complete);
    EXPECT_EQ(m.downloads[2]->queueId, 0) << "a Complete item is never moved";
    EXPECT_EQ(running->state, DownloadState::Downloading);
    EXPECT_EQ(running->queueId, 2);
    guard.unlock();

    RemoveFromQueue(m, 1);
    RemoveFromQueue(m, 4);
    guard.lock();
    EXPECT_EQ(m.downloads[0]->state, DownloadState::Stopped);
    EXPECT_EQ(m.downloads[0]->queueId, 0);
    EXPECT_EQ(running->state, DownloadState::Downloading);
    EXPECT_EQ(running->queueId, 0);
}

TEST_F(Control, SetPropertiesAndChangeAddress) {
    auto d = Add(1, DownloadState::Error);
    d->cookie = L"a=b";
    d->lastError = L"HTTP 404: file not found on the server";
    d->segments = {{0, 99, 40}};
    d->parts.resize(3);
    SetProperties(m, 1, L"D:\\Files\\report final.pdf", L"Documents", L"the report");
    {
        std::lock_guard guard(m.lock);
        EXPECT_EQ(d->fileName, L"report final.pdf");
        EXPECT_EQ(d->category, L"Documents");
        EXPECT_EQ(d->description, L"the report");
        EXPECT_TRUE(d->userPath);
    }

    const std::wstring original = d->url;
    ChangeAddress(m, 1, L"ftp://mirror/file", L"ftp refused");
    EXPECT_EQ(d->url, original);
    EXPECT_EQ(d->description, L"ftp refused");
    ChangeAddress(m, 1, L"HTTPS://mirror.example/file", L"moved");
    {
        std::lock_guard guard(m.lock);
        EXPECT_EQ(d->url, L"HTTPS://mirror.example/file");
        EXPECT_TRUE(d->cookie.empty());
        EXPECT_TRUE(d->parts.empty());
        EXPECT_TRUE(d->lastError.empty());
        EXPECT_EQ(d->segments, (std::vector<Segment>{{0, 99, 40}})) << "it resumes where it stopped";
    }
    StartDownload(m, 1);
    ChangeAddress(m, 1, L"http://elsewhere/file", L"while running");
    std::lock_guard guard(m.lock);
    EXPECT_EQ(d->url, L"HTTPS://mirror.example/file");
    EXPECT_EQ(d->description, L"while running");
}

TEST_F(Control, RemoveDeletesTheFinishedFileOnlyForCompleteItems) {
    const std::wstring doneFile = dir.File(L"done.zip"), partFile = dir.File(L"part.zip");
    for (const std::wstring& f : {doneFile, doneFile + L".vonu", partFile, partFile + L".vonu"})
        test::WriteBytes(f, "data");
    auto done = Add(1, DownloadState::Complete);
    done->path = doneFile;
    auto part = Add(2, DownloadState::Stopped);
    part->path = partFile;
    auto running = Add(3, DownloadState::Stopped);
    Add(4, DownloadState::Complete);  // no path at all

    RemoveDownload(m, 1, true);
    EXPECT_FALSE(test::FileExists(doneFile));
    EXPECT_FALSE(test::FileExists(doneFile + L".vonu"));
    RemoveDownload(m, 2, true);
    EXPECT_TRUE(test::FileExists(partFile)) << "an unfinished download never deletes a file at its path";
    EXPECT_FALSE(test::FileExists(partFile + L".vonu"));

    StartDownload(m, 3);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 1; }));
    RemoveDownload(m, 3, false);
    EXPECT_FALSE(running->workerRunning) << "removal waits for the worker";
    EXPECT_FALSE(running->worker.joinable());
    RemoveDownload(m, 4, true);
    std::lock_guard guard(m.lock);
    EXPECT_TRUE(m.downloads.empty());
    EXPECT_TRUE(m.listDirty);
}

TEST_F(Control, StopEverythingJoinsAllAndSavesTheList) {
    g_log.endingDelayMs = 50;
    auto a = Add(1, DownloadState::Stopped);
    auto b = Add(2, DownloadState::Queued, 2);
    Add(3, DownloadState::Complete);
    StartQueue(m, 2);
    StartDownload(m, 1);
    StartByQueue(b, 2);
    ASSERT_TRUE(WaitFor([] { return g_log.runs == 2; }));
    {
        std::lock_guard guard(m.lock);
        m.listDirty = false;
    }
    ASSERT_TRUE(StopEverything(m, dir.path()).ok);
    EXPECT_EQ(g_log.running, 0);
    EXPECT_FALSE(a->worker.joinable());
    EXPECT_FALSE(b->worker.joinable());
    EXPECT_EQ(a->state, DownloadState::Stopped);
    EXPECT_EQ(b->state, DownloadState::Stopped);
    EXPECT_FALSE(m.IsQueueRunning(2));
    EXPECT_TRUE(test::FileExists(ListPath(dir.path()))) << "saved even though nothing was marked changed";
}

TEST(ControlWithoutEngine, RunEndsWithAClearError) {
    SetTransferWorker(nullptr);
    TempFolder dir;
    DownloadManager m;
    auto d = std::make_shared<DownloadItem>();
    d->id = 1;
    d->url = L"http://127.0.0.1/x";
    m.downloads.push_back(d);
    StartDownload(m, 1);
    ASSERT_TRUE(WaitFor([&] { return !d->workerRunning; }));
    {
        std::lock_guard guard(m.lock);
        EXPECT_EQ(d->state, DownloadState::Error);
        EXPECT_EQ(d->lastError, L"Downloading is not available in this build.");
    }
    (void)StopEverything(m, dir.path());
}

}  // namespace
}  // namespace vonu
