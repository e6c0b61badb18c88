// The life cycle every download worker shares: constructed first on the worker thread and
// destroyed last, so the run's contract (manager/worker_entry.h) holds on every path out of
// the worker, early returns included. The worker decides the outcome (Fail...Locked, or
// FinishDownload for a file that has all its bytes); the end does the rest:
//  - under the manager lock: the speed is 0 and no segment or video part is marked busy; a
//    cancelled run still Downloading becomes Stopped, unless a restart is pending (it stays
//    Downloading for the next run); a run that is not cancelled and got no outcome becomes
//    Error ("Download did not finish" unless a sentence is already there); the list is dirty;
//    the run queue id is cleared unless the run was cancelled;
//  - then, outside the lock and as the very last action, the worker-running flag clears.
//
// Threads: owned by the worker thread; the connections and part workers it starts use the
// run through a reference and are joined before it ends. `errors` is guarded by the
// manager lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

class WorkerRun {
public:
    WorkerRun(DownloadManager& manager, std::shared_ptr<DownloadItem> runItem);
    ~WorkerRun();
    WorkerRun(const WorkerRun&) = delete;
    WorkerRun& operator=(const WorkerRun&) = delete;

    DownloadManager& m;
    const std::shared_ptr<DownloadItem> item;
    std::vector<std::wstring> errors;  // a connection or part worker that gave up adds its last

    bool Cancelled() const { return item->cancel.load(); }

    // The run failed with `sentence`. Caller holds the manager lock.
    void FailLocked(const std::wstring& sentence);
    // The run failed with the last sentence a worker reported, or `otherwise`.
    void FailWithLastErrorLocked(const wchar_t* otherwise);
};

}  // namespace vonu
