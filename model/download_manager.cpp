#include "model/download_manager.h"

#include <algorithm>
#include <utility>

namespace vonu {

int64_t DownloadItem::DownloadedBytes() const {
    if (video) return videoBytes;
    int64_t sum = 0;
    for (const Segment& s : segments) sum += s.Done();
    return sum;
}

DownloadManager& Manager() {
    static DownloadManager manager;  // constructed once, thread-safe; destroyed at exit
    return manager;
}

void FillSnapshot(const DownloadItem& item, DownloadSnapshot& s) {
    static_cast<DownloadRecord&>(s) = item.Record();  // reuses the target's string storage
    s.downloaded = item.DownloadedBytes();
    s.probing = item.probing.load();
    s.speed = item.speed;
    s.busySegments.clear();
    for (size_t i = 0; i < item.segmentBusy.size() && i < item.segments.size(); ++i)
        if (item.segmentBusy[i]) s.busySegments.push_back(static_cast<int32_t>(i));
    s.scanning = item.scanning;
    s.partsDone = static_cast<int32_t>(
        std::count_if(item.partDone.begin(), item.partDone.end(), [](uint8_t d) { return d != 0; }));
}

DownloadSnapshot MakeSnapshot(const DownloadItem& item) {
    DownloadSnapshot s;
    FillSnapshot(item, s);
    return s;
}

std::vector<DownloadSnapshot> DownloadManager::SnapshotAll() {
    std::lock_guard guard(lock);
    std::vector<DownloadSnapshot> all;
    all.reserve(downloads.size());
    for (const auto& item : downloads) all.push_back(MakeSnapshot(*item));
    return all;
}

void DownloadManager::SnapshotAllInto(std::vector<DownloadSnapshot>& all) {
    std::lock_guard guard(lock);
    all.resize(downloads.size());
    for (size_t i = 0; i < downloads.size(); ++i) FillSnapshot(*downloads[i], all[i]);
}

std::optional<DownloadSnapshot> DownloadManager::SnapshotOne(int32_t id) {
    std::lock_guard guard(lock);
    if (auto item = FindLocked(id)) return MakeSnapshot(*item);
    return std::nullopt;
}

std::vector<DownloadQueue> DownloadManager::CopyQueues() {
    std::lock_guard guard(lock);
    std::vector<DownloadQueue> copy = queues;
    for (DownloadQueue& q : copy) q.lastStartStamp = q.lastStopStamp = -1;
    return copy;
}

bool DownloadManager::IsQueueRunning(int32_t id) {
    std::lock_guard guard(lock);
    const DownloadQueue* q = FindQueueLocked(id);
    return q && q->running;
}

std::vector<int32_t> DownloadManager::TakeCompleted() {
    std::lock_guard guard(lock);
    return std::exchange(completed, {});
}

std::vector<QueueFinishedEvent> DownloadManager::TakeFinishedQueues() {
    std::lock_guard guard(lock);
    return std::exchange(finishedQueues, {});
}

std::shared_ptr<DownloadItem> DownloadManager::FindLocked(int32_t id) const {
    for (const auto& item : downloads)
        if (item->id == id) return item;
    return nullptr;
}

DownloadQueue* DownloadManager::FindQueueLocked(int32_t id) {
    for (DownloadQueue& q : queues)
        if (q.id == id) return &q;
    return nullptr;
}

}  // namespace vonu
