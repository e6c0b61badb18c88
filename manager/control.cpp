#include "manager/control.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "manager/worker_entry.h"
#include "model/hosts.h"
#include "model/list_file.h"

namespace vonu {
namespace {

void SetState(DownloadItem& item, DownloadState s) { item.state = s; }

int64_t NowFileTime() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

// Cancels the run without waiting for it. Caller holds the manager lock.
void CancelLocked(DownloadItem& item) {
    item.cancel.exchange(true);
    item.restartPending = false;
    CloseRequestsLocked(item);
}

// Waits for the item's threads; never the calling thread's own. Manager lock not held.
void JoinThreads(DownloadItem& item) {
    for (std::thread* t : {&item.worker, &item.probe})
        if (t->joinable() && t->get_id() != std::this_thread::get_id()) t->join();
}

}  // namespace

void StartLocked(DownloadManager& m, const std::shared_ptr<DownloadItem>& item) {
    DownloadItem& d = *item;
    if (d.state == DownloadState::Complete) return;
    if (d.workerRunning) {
        // Still running. After a stop it is on its way out: run again once it has gone.
        if (d.cancel) {
            d.restartPending = true;
            SetState(d, DownloadState::Downloading);
            m.listDirty = true;
        }
        return;
    }
    // The previous worker has cleared its flag, its last act: this only waits for it to return.
    if (d.worker.joinable()) d.worker.join();
    d.cancel.exchange(false);
    d.restartPending = false;
    SetState(d, DownloadState::Downloading);
    d.lastError.clear();
    d.lastStart = NowFileTime();
    d.speed = 0;
    d.bytesAtStart = d.DownloadedBytes();
    d.startTick = GetTickCount();
    d.speedWindow.clear();
    d.workerRunning.exchange(true);
    m.listDirty = true;
    m.listSaveNow = true;
    try {
        d.worker = std::thread(RunWorker, item, std::ref(m));
    } catch (const std::system_error& e) {
        // Without this the item would look running forever and could never start again.
        d.workerRunning.exchange(false);
        SetState(d, DownloadState::Error);
        d.runQueueId = 0;
        d.lastError = L"Cannot start the download: the system refused a new thread (" +
                      std::to_wstring(e.code().value()) + L").";
    }
}

void StartDownload(DownloadManager& m, int32_t id) {
    std::lock_guard guard(m.lock);
    if (auto item = m.FindLocked(id)) {
        item->runQueueId = 0;
        StartLocked(m, item);
    }
}

void StopLocked(DownloadManager& m, DownloadItem& item) {
    CancelLocked(item);
    item.runQueueId = 0;
    if (item.state == DownloadState::Downloading || item.state == DownloadState::Queued)
        SetState(item, DownloadState::Stopped);
    m.listDirty = true;
}

void StopDownload(DownloadManager& m, int32_t id) {
    std::lock_guard guard(m.lock);
    if (auto item = m.FindLocked(id)) StopLocked(m, *item);
}

void StopAll(DownloadManager& m) {
    std::lock_guard guard(m.lock);
    for (DownloadQueue& q : m.queues) q.running = false;
    for (const auto& item : m.downloads)
        if (item->state == DownloadState::Downloading || item->workerRunning) StopLocked(m, *item);
    m.listDirty = true;
}

void RemoveDownload(DownloadManager& m, int32_t id, bool deleteFinishedFile) {
    std::shared_ptr<DownloadItem> item;
    {
        std::lock_guard guard(m.lock);
        item = m.FindLocked(id);
        if (!item) return;
        CancelLocked(*item);
    }
    JoinThreads(*item);
    std::wstring path;
    DownloadState state;
    {
        std::lock_guard guard(m.lock);
        auto it = std::find(m.downloads.begin(), m.downloads.end(), item);
        if (it != m.downloads.end()) m.downloads.erase(it);
        path = item->path;
        state = item->state;
        m.listDirty = true;
    }
    // An item without a path has no files; ".vonu" alone would name a file in the current folder.
    if (path.empty()) return;
    DeleteFileW((path + kTempSuffix).c_str());
    if (deleteFinishedFile && state == DownloadState::Complete) DeleteFileW(path.c_str());
}

void MoveToQueue(DownloadManager& m, int32_t id, int32_t queueId) {
    std::lock_guard guard(m.lock);
    auto item = m.FindLocked(id);
    if (!item || item->state == DownloadState::Complete || !m.FindQueueLocked(queueId)) return;
    item->queueId = queueId;
    if (item->state == DownloadState::Stopped || item->state == DownloadState::Error)
        SetState(*item, DownloadState::Queued);
    m.listDirty = true;
}

void RemoveFromQueue(DownloadManager& m, int32_t id) {
    std::lock_guard guard(m.lock);
    auto item = m.FindLocked(id);
    if (!item) return;
    item->queueId = 0;
    if (item->state == DownloadState::Queued) SetState(*item, DownloadState::Stopped);
    m.listDirty = true;
}

void SetProperties(DownloadManager& m, int32_t id, const std::wstring& path, const std::wstring& category,
                   const std::wstring& description) {
    std::lock_guard guard(m.lock);
    auto item = m.FindLocked(id);
    if (!item) return;
    item->path = path;
    item->fileName = PathFindFileNameW(path.c_str());
    item->category = category;
    item->description = description;
    item->userPath = true;
    m.listDirty = true;
}

void ChangeAddress(DownloadManager& m, int32_t id, const std::wstring& address, const std::wstring& description) {
    std::lock_guard guard(m.lock);
    auto item = m.FindLocked(id);
    if (!item) return;
    item->description = description;
    if (!item->workerRunning && item->state != DownloadState::Downloading &&
        item->state != DownloadState::Complete && !address.empty() && address != item->url &&
        IsWebAddress(address)) {
        item->url = address;
        item->cookie.clear();
        item->parts.clear();
        item->lastError.clear();
    }
    m.listDirty = true;
}

void StartQueue(DownloadManager& m, int32_t queueId) {
    std::lock_guard guard(m.lock);
    if (DownloadQueue* q = m.FindQueueLocked(queueId)) {
        q->running = true;
        m.listDirty = true;
    }
}

void StopQueueLocked(DownloadManager& m, DownloadQueue& queue) {
    queue.running = false;
    const int32_t id = queue.id;
    for (const auto& item : m.downloads) {
        if (item->runQueueId != id || item->state != DownloadState::Downloading) continue;
        StopLocked(m, *item);
        SetState(*item, DownloadState::Queued);  // it waits for the queue's next run
    }
    m.listDirty = true;
}

void StopQueue(DownloadManager& m, int32_t queueId) {
    std::lock_guard guard(m.lock);
    if (DownloadQueue* q = m.FindQueueLocked(queueId)) StopQueueLocked(m, *q);
}

int32_t AddQueue(DownloadManager& m, const std::wstring& name) {
    std::lock_guard guard(m.lock);
    DownloadQueue q;
    q.id = m.nextQueueId++;
    q.name = name;
    q.maxActive = static_cast<int32_t>(m.MaxActive);
    m.queues.push_back(q);
    m.listDirty = true;
    return q.id;
}

void RemoveQueue(DownloadManager& m, int32_t queueId) {
    if (queueId == 1) return;
    std::lock_guard guard(m.lock);
    DownloadQueue* q = m.FindQueueLocked(queueId);
    if (!q) return;
    StopQueueLocked(m, *q);
    for (const auto& item : m.downloads)
        if (item->queueId == queueId) item->queueId = 1;
    std::erase_if(m.queues, [&](const DownloadQueue& x) { return x.id == queueId; });
    m.listDirty = true;
}

WriteResult StopEverything(DownloadManager& m, const std::wstring& dataFolder) {
    std::vector<std::shared_ptr<DownloadItem>> items;
    {
        std::lock_guard guard(m.lock);
        for (DownloadQueue& q : m.queues) q.running = false;
        for (const auto& item : m.downloads) {
            CancelLocked(*item);
            if (item->state == DownloadState::Downloading) SetState(*item, DownloadState::Stopped);
        }
        items = m.downloads;
    }
    for (const auto& item : items) JoinThreads(*item);
    {
        std::lock_guard guard(m.lock);
        for (const auto& item : m.downloads)
            if (item->state == DownloadState::Downloading) SetState(*item, DownloadState::Stopped);
    }
    return SaveList(m, dataFolder, true);
}

}  // namespace vonu
