#include "manager/tick.h"

#include <mutex>

#include "manager/control.h"

namespace vonu {

void AddSpeedSample(DownloadItem& item, uint32_t now, int64_t bytes) {
    auto& window = item.speedWindow;
    window.push_back(SpeedSample{now, bytes});
    while (window.size() > 2 && static_cast<uint32_t>(now - window.front().tick) > kSpeedWindowMs)
        window.pop_front();
    const uint32_t span = window.back().tick - window.front().tick;  // wraps with the tick count
    if (span >= kMinSpeedSpanMs) {
        const double speed = static_cast<double>(window.back().bytes - window.front().bytes) * 1000.0 / span;
        item.speed = speed > 0 ? speed : 0;
    }
}

namespace {

void ReapAndMeasure(DownloadManager& m, uint32_t now) {
    // Start may add nothing to the list, so walking it by index is safe.
    for (size_t i = 0; i < m.downloads.size(); ++i) {
        const std::shared_ptr<DownloadItem> item = m.downloads[i];
        // A cleared flag is a thread's very last act: these joins only wait for it to return.
        if (!item->workerRunning && item->worker.joinable()) item->worker.join();
        if (!item->probing && item->probe.joinable()) item->probe.join();
        if (item->restartPending && !item->workerRunning) StartLocked(m, item);
        if (item->state == DownloadState::Downloading) {
            m.listDirty = true;
            AddSpeedSample(*item, now, item->DownloadedBytes());
        } else {
            item->speed = 0;
            item->speedWindow.clear();
        }
    }
}

void RunQueue(DownloadManager& m, DownloadQueue& q, int minute, int32_t stamp, int weekday) {
    const bool dayMatches = q.days == 0 || (q.days & (1u << weekday)) != 0;
    if (q.startOn && dayMatches && minute == q.startMinute && stamp != q.lastStartStamp) {
        q.lastStartStamp = stamp;
        q.running = true;
        if (q.days == 0) q.startOn = false;  // a one-time schedule fires once
        m.listDirty = true;
    }
    if (q.stopOn && dayMatches && minute == q.stopMinute && stamp != q.lastStopStamp) {
        q.lastStopStamp = stamp;
        StopQueueLocked(m, q);
        if (q.days == 0) q.stopOn = false;
        m.listDirty = true;
    }
    if (!q.running) return;

    int32_t active = 0;
    for (const auto& item : m.downloads)
        if (item->runQueueId == q.id && item->state == DownloadState::Downloading) ++active;
    bool waiting = false;
    for (size_t i = 0; i < m.downloads.size(); ++i) {
        const std::shared_ptr<DownloadItem> item = m.downloads[i];
        if (item->state != DownloadState::Queued || item->queueId != q.id) continue;
        waiting = true;
        if (active < q.maxActive) {
            StartLocked(m, item);
            item->runQueueId = q.id;
            ++active;
        }
    }
    if (waiting || active > 0) return;
    q.running = false;
    m.finishedQueues.push_back(QueueFinishedEvent{q.id, q.after, q.name});
}

}  // namespace

void TickAt(DownloadManager& m, uint32_t now, const SYSTEMTIME& localTime) {
    std::lock_guard guard(m.lock);
    ReapAndMeasure(m, now);
    const int minute = localTime.wHour * 60 + localTime.wMinute;
    const int32_t stamp = DateStamp(localTime.wYear, localTime.wMonth, localTime.wDay);
    // Queues are not added or removed by anything the runner calls.
    for (DownloadQueue& q : m.queues) RunQueue(m, q, minute, stamp, localTime.wDayOfWeek);
}

void Tick(DownloadManager& m) {
    const uint32_t now = GetTickCount();
    SYSTEMTIME local;
    GetLocalTime(&local);
    TickAt(m, now, local);
}

}  // namespace vonu
