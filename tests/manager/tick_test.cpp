// The manager tick with its clock given by the test: schedules, the queue runner with its
// finished events, thread reaping and restart pending, and the speed window.
#include "manager/tick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>

#include "manager/control.h"
#include "manager/worker_entry.h"

namespace vonu {
namespace {

SYSTEMTIME At(int year, int month, int day, int weekday, int hour, int minute) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wDayOfWeek = static_cast<WORD>(weekday);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    return t;
}

// A worker of the tests' own that keeps the run's contract: it runs until cancelled or
// until the test lets its item end (with Complete or Error), then clears its flag last.
std::mutex g_endLock;
std::set<int32_t> g_mayEnd;  // ids whose run may end
std::atomic<int> g_runs{0};

void EndWhenAllowed(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    ++g_runs;
    for (;;) {
        if (item->cancel) break;
        {
            std::lock_guard guard(g_endLock);
            if (g_mayEnd.count(item->id)) break;
        }
        Sleep(2);
    }
    {
        std::lock_guard guard(m.lock);
        if (item->cancel) {
            if (item->state == DownloadState::Downloading && !item->restartPending)
                item->state = DownloadState::Stopped;
        } else {
            item->state = item->id % 2 ? DownloadState::Complete : DownloadState::Error;
            item->runQueueId = 0;
        }
    }
    item->workerRunning.exchange(false);
}

class TickTest : public testing::Test {
protected:
    void SetUp() override {
        SetTransferWorker(EndWhenAllowed);
        g_runs = 0;
        std::lock_guard guard(g_endLock);
        g_mayEnd.clear();
    }
    void TearDown() override {
        StopAll(m);
        for (auto& d : m.downloads)
            if (d->worker.joinable()) d->worker.join();
        SetTransferWorker(nullptr);
    }
    DownloadQueue& Queue(int32_t maxActive) {
        m.queues.push_back(DownloadQueue{});
        DownloadQueue& q = m.queues.back();
        q.id = 1;
        q.name = L"Default queue";
        q.maxActive = maxActive;
        q.after = static_cast<int32_t>(QueueEndAction::TurnOff);
        return q;
    }
    std::shared_ptr<DownloadItem> Item(DownloadState state, int32_t queueId) {
        auto d = std::make_shared<DownloadItem>();
        d->id = static_cast<int32_t>(m.downloads.size() + 1);
        d->url = L"http://h.test/" + std::to_wstring(d->id);
        d->state = state;
        d->queueId = queueId;
        m.downloads.push_back(d);
        return d;
    }
    void Allow(int32_t id) {
        std::lock_guard guard(g_endLock);
        g_mayEnd.insert(id);
    }
    // Ticks (250 ms apart on the test's clock) until the condition holds or 5 s pass.
    bool TickUntil(const std::function<bool()>& condition) {
        for (int i = 0; i < 1000; ++i) {
            TickAt(m, now += 250, noon);
            {
                std::lock_guard guard(m.lock);
                if (condition()) return true;
            }
            Sleep(5);
        }
        return false;
    }
    int Count(DownloadState s) {
        int n = 0;
        for (auto& d : m.downloads) n += d->state == s;
        return n;
    }
    DownloadManager m;
    uint32_t now = 1000;
    SYSTEMTIME noon = At(2026, 12, 9, 3, 12, 0);
};

TEST_F(TickTest, OneTimeScheduleFiresAtItsMinuteOnceAndClearsItself) {
    DownloadQueue& q = Queue(3);
    q.startOn = true;
    q.startMinute = 8 * 60 + 30;
    auto d = Item(DownloadState::Queued, 1);
    TickAt(m, 1, At(2026, 12, 9, 3, 8, 29));
    EXPECT_FALSE(q.running);
    EXPECT_EQ(d->state, DownloadState::Queued);
    m.listDirty = false;
    TickAt(m, 2, At(2026, 12, 9, 3, 8, 30));
    EXPECT_TRUE(q.running);
    EXPECT_FALSE(q.startOn);
    EXPECT_EQ(q.lastStartStamp, DateStamp(2026, 12, 9));
    EXPECT_TRUE(m.listDirty);
    EXPECT_EQ(d->state, DownloadState::Downloading) << "the runner starts it in the same tick";
    EXPECT_EQ(d->runQueueId, 1);

    StopQueue(m, 1);  // back to Queued, queue stopped
    ASSERT_EQ(d->state, DownloadState::Queued);
    TickAt(m, 3, At(2026, 12, 10, 4, 8, 30));
    EXPECT_FALSE(q.running) << "a one-time schedule never fires again";
}

TEST_F(TickTest, AStartedQueueWithNothingToDoFinishesInTheSameTick) {
    DownloadQueue& q = Queue(3);
    q.startOn = true;
    q.startMinute = 0;
    Item(DownloadState::Complete, 1);
    TickAt(m, 1, At(2026, 12, 9, 3, 0, 0));
    EXPECT_FALSE(q.running);
    ASSERT_EQ(m.finishedQueues.size(), 1u);
    EXPECT_EQ(m.finishedQueues[0].queueId, 1);
}

TEST_F(TickTest, WeekdayScheduleFiresOnItsDaysOncePerDay) {
    DownloadQueue& q = Queue(3);
    q.startOn = true;
    q.startMinute = 22 * 60;
    q.days = 0b0100010;  // Monday and Friday
    Item(DownloadState::Queued, 1);
    struct Day {
        int day, weekday;
        bool fires;
    } const days[] = {{7, 1, true}, {8, 2, false}, {9, 3, false}, {10, 4, false}, {11, 5, true}, {13, 0, false}, {14, 1, true}};
    for (const Day& d : days) {
        SCOPED_TRACE(d.day);
        int fired = 0;
        for (int tick = 0; tick < 240; ++tick) {  // about a minute of ticks
            const bool before = q.running;
            TickAt(m, now += 250, At(2026, 12, d.day, d.weekday, 22, 0));
            if (q.running && !before) ++fired;
            q.running = false;  // as if stopped by hand at once: it must not fire again today
        }
        EXPECT_EQ(fired, d.fires ? 1 : 0);
        EXPECT_TRUE(q.startOn) << "a weekly schedule stays on";
    }
}

TEST_F(TickTest, StartAndStopInTheSameMinuteEndStopped) {
    DownloadQueue& q = Queue(3);
    q.startOn = q.stopOn = true;
    q.startMinute = q.stopMinute = 60;
    q.days = 0x7F;
    Item(DownloadState::Queued, 1);
    TickAt(m, 1, At(2026, 12, 9, 3, 1, 0));
    EXPECT_FALSE(q.running);
    EXPECT_EQ(q.lastStartStamp, q.lastStopStamp);
    EXPECT_EQ(Count(DownloadState::Queued), 1) << "the runner of a stopped queue starts nothing";
}

TEST_F(TickTest, RunnerKeepsMaxActiveAndReportsTheFinishedQueueOnce) {
    DownloadQueue& q = Queue(2);
    q.running = true;
    for (int i = 0; i < 5; ++i) Item(DownloadState::Queued, 1);
    auto other = Item(DownloadState::Queued, 7);       // another queue's item is never started
    auto byHand = Item(DownloadState::Stopped, 1);
    {
        std::lock_guard guard(m.lock);
        byHand->runQueueId = 0;
        StartLocked(m, byHand);  // same queue, started by hand: takes no slot
    }
    TickAt(m, now += 250, noon);
    EXPECT_EQ(Count(DownloadState::Downloading), 3);
    EXPECT_EQ(m.downloads[0]->runQueueId, 1);
    EXPECT_EQ(m.downloads[1]->runQueueId, 1);
    EXPECT_EQ(m.downloads[2]->state, DownloadState::Queued);

    for (int32_t id = 1; id <= 5; ++id) {
        SCOPED_TRACE(id);
        Allow(id);
        ASSERT_TRUE(TickUntil([&] {
            return m.downloads[id - 1]->state != DownloadState::Downloading && !m.downloads[id - 1]->worker.joinable();
        })) << "the ended worker is reaped";
        int queueActive = 0;
        for (int i = 0; i < 5; ++i) queueActive += m.downloads[i]->state == DownloadState::Downloading;
        EXPECT_EQ(queueActive, std::min(2, 5 - id));
        EXPECT_EQ(m.finishedQueues.size(), id == 5 ? 1u : 0u);
    }
    EXPECT_FALSE(q.running);
    ASSERT_EQ(m.finishedQueues.size(), 1u);
    EXPECT_EQ(m.finishedQueues[0].queueId, 1);
    EXPECT_EQ(m.finishedQueues[0].after, static_cast<int32_t>(QueueEndAction::TurnOff));
    EXPECT_EQ(m.finishedQueues[0].queueName, L"Default queue");
    TickAt(m, now += 250, noon);
    EXPECT_EQ(m.finishedQueues.size(), 1u) << "one event per run of the queue";
    EXPECT_EQ(other->state, DownloadState::Queued);
    EXPECT_EQ(byHand->state, DownloadState::Downloading);
    EXPECT_EQ(g_runs, 6);

    // Started again with nothing to do: it finishes on the next tick, with a new event.
    q.running = true;
    TickAt(m, now += 250, noon);
    EXPECT_EQ(m.finishedQueues.size(), 2u);
}

TEST_F(TickTest, ADownloadStoppedByHandIsNotRestartedByItsQueue) {
    DownloadQueue& q = Queue(3);
    q.running = true;
    auto d = Item(DownloadState::Queued, 1);
    TickAt(m, now += 250, noon);
    ASSERT_EQ(d->state, DownloadState::Downloading);
    StopDownload(m, d->id);
    ASSERT_TRUE(TickUntil([&] { return !d->worker.joinable(); }));
    EXPECT_EQ(d->state, DownloadState::Stopped);
    EXPECT_EQ(g_runs, 1);
    EXPECT_FALSE(q.running) << "nothing waits and nothing runs";
}

TEST_F(TickTest, RestartPendingStartsOnceThePreviousWorkerHasGone) {
    auto d = Item(DownloadState::Stopped, 0);
    StartDownload(m, d->id);
    StopDownload(m, d->id);
    StartDownload(m, d->id);  // the worker may still be ending: then restart is pending
    ASSERT_TRUE(TickUntil([&] { return g_runs == 2 && d->workerRunning && !d->restartPending; }));
    EXPECT_EQ(d->state, DownloadState::Downloading);
}

TEST(SpeedWindow, SpansOfAtLeast400msOverTheLastThreeSeconds) {
    DownloadItem d;
    AddSpeedSample(d, 10000, 0);
    AddSpeedSample(d, 10250, 600000);
    EXPECT_EQ(d.speed, 0) << "under 400 ms the speed keeps its old value";
    AddSpeedSample(d, 10500, 1000000);
    EXPECT_DOUBLE_EQ(d.speed, 2000000.0);  // 1,000,000 bytes in 500 ms

    // Bytes stop growing: once the window holds only equal samples the speed is 0.
    uint32_t t = 10500;
    for (int i = 0; i < 11; ++i) AddSpeedSample(d, t += 250, 1000000);
    EXPECT_GT(d.speed, 0);
    AddSpeedSample(d, t += 250, 1000000);
    AddSpeedSample(d, t += 250, 1000000);
    EXPECT_EQ(d.speed, 0);
    EXPECT_LE(d.speedWindow.size(), 14u);
    EXPECT_LE(d.speedWindow.back().tick - d.speedWindow.front().tick, 3000u);

    // A long gap leaves two samples, never fewer.
    AddSpeedSample(d, t += 60000, 5000000);
    EXPECT_EQ(d.speedWindow.size(), 2u);
    EXPECT_DOUBLE_EQ(d.speed, 4000000.0 * 1000 / 60000);
}

TEST(SpeedWindow, TheTickCountMayWrap) {
    DownloadItem d;
    AddSpeedSample(d, 0xFFFFFF00u, 0);          // 256 ms before the wrap
    AddSpeedSample(d, 0x000000F4u, 500000);     // 500 ms later
    EXPECT_DOUBLE_EQ(d.speed, 1000000.0);
    for (uint32_t t = 0x1F4; t < 0x1F4 + 3000; t += 250) AddSpeedSample(d, t, 500000 + t);
    EXPECT_LE(d.speedWindow.back().tick - d.speedWindow.front().tick, 3000u);
    EXPECT_GT(d.speed, 0);
}

TEST_F(TickTest, SpeedIsMeasuredWhileDownloadingAndZeroAfter) {
    auto d = Item(DownloadState::Downloading, 0);  // no worker: the tick only measures it
    d->segments = {{0, 99999999, 0}};
    TickAt(m, 1000, noon);
    d->segments[0].next = 500000;
    TickAt(m, 1500, noon);
    EXPECT_DOUBLE_EQ(d->speed, 1000000.0);
    EXPECT_TRUE(m.listDirty);
    d->state = DownloadState::Stopped;
    TickAt(m, 1750, noon);
    EXPECT_EQ(d->speed, 0);
    EXPECT_TRUE(d->speedWindow.empty());
}

}  // namespace
}  // namespace vonu
