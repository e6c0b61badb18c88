// The one process-wide state object: settings, the download list, queues, hand-off lists,
// categories, logins and server limits.
//
// Locks: `lock` (the manager lock, non-recursive) guards the list, every shared field of
// every item, the queues, both hand-off lists, the next ids and the dirty flag. It is held
// for short steps only, never across a network or disk wait. `categoryLock` guards
// categories, logins and server limits; code that needs both takes `lock` first.
// The settings fields are written on the user-interface thread only; those that other
// threads read are written under the lock those readers take (StoreEditedSettings): BaseDir
// and MaxPerServer under `categoryLock`, MaxConn, MaxActive and the Scan fields under `lock`.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/download_item.h"
#include "model/download_snapshot.h"

namespace vonu {

struct DownloadManager {
    // Settings (settings.ini keys of the same names).
    uint32_t MaxConn = 8;
    uint32_t MaxActive = 3;
    int32_t SpeedLimitKB = 0;
    bool LimiterOn = false;
    bool ShowProgress = true;
    bool ShowComplete = true;
    bool Clipboard = true;
    bool MinToTray = true;
    std::wstring BaseDir;
    uint32_t ProxyMode = 0;
    std::wstring PacUrl;
    bool Sound = false;
    int32_t MaxPerServer = 0;
    std::wstring Proxy;
    std::wstring Language;
    bool ScanOn = false;
    std::wstring ScanExe;
    std::wstring ScanArgs;
    bool CheckUpdates = true;
    int64_t LastUpdateCheck = 0;
    std::wstring SkipVersion;
    std::wstring UpdateUrl;

    std::vector<std::shared_ptr<DownloadItem>> downloads;
    std::vector<int32_t> completed;
    std::vector<DownloadQueue> queues;
    std::vector<QueueFinishedEvent> finishedQueues;
    int32_t nextDownloadId = 1;
    int32_t nextQueueId = 2;
    bool listDirty = false;
    // A download was added or started: list.ini must hold it now, not at the next timed save,
    // or a crash in the next seconds leaves its temporary file behind with no entry to resume
    // it. Set with listDirty; SaveListIfAsked writes and clears it.
    bool listSaveNow = false;

    std::vector<Category> categories;
    std::vector<SiteLogin> logins;
    std::vector<ServerLimit> serverLimits;

    std::mutex lock;
    std::mutex categoryLock;
    // Held by a save of list.ini from building its text to the end of the write (see
    // SaveList); taken before `lock`, never while holding it.
    std::mutex listWriteLock;

    // Each takes the manager lock itself; call them without holding it.
    std::vector<DownloadSnapshot> SnapshotAll();
    // The same into an existing vector, reusing its strings' storage: the window's
    // refresh takes this four times a second over the whole list.
    void SnapshotAllInto(std::vector<DownloadSnapshot>& all);
    std::optional<DownloadSnapshot> SnapshotOne(int32_t id);
    std::vector<DownloadQueue> CopyQueues();  // date stamps reset to -1
    bool IsQueueRunning(int32_t id);
    std::vector<int32_t> TakeCompleted();
    std::vector<QueueFinishedEvent> TakeFinishedQueues();

    // Caller holds the manager lock.
    std::shared_ptr<DownloadItem> FindLocked(int32_t id) const;
    DownloadQueue* FindQueueLocked(int32_t id);
};

// The process-wide manager, created with fresh defaults on first use (thread-safe).
DownloadManager& Manager();

// Caller holds the manager lock.
DownloadSnapshot MakeSnapshot(const DownloadItem& item);
void FillSnapshot(const DownloadItem& item, DownloadSnapshot& snapshot);

}  // namespace vonu
