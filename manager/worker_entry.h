// Where a started download's run goes: the one entry point the transfer engine fills.
//
// Start (manager/control.h) runs the installed worker on a new thread with the item's own
// shared reference. A worker must keep the run's contract (a WorkerRun, model/worker_run.h,
// keeps it on every path): it starts with the state
// Downloading, the cancel flag and restart pending clear and the worker-running flag set;
// it polls the cancel flag at least every 100 ms; it ends by setting, under the manager
// lock, the state Stopped when cancelled (unless restart pending: then it stays
// Downloading), clearing the run queue id unless cancelled, and then, outside the lock and
// as its very last action, clearing the worker-running flag.
//
// The request closer is called with the manager lock held by stop and remove, right after
// they set the cancel flag, so that transfers blocked in the network return at once.
//
// Both are installed once at start-up, before the first start; tests may install their own.
#pragma once

#include <memory>

#include "model/download_manager.h"

namespace vonu {

using TransferWorker = void (*)(std::shared_ptr<DownloadItem> item, DownloadManager& manager);
using RequestCloser = void (*)(DownloadItem& item);

// Null restores the built-in ones: a worker that ends every run at once with the error
// "Downloading is not available in this build." and a closer that closes nothing.
void SetTransferWorker(TransferWorker worker);
void SetRequestCloser(RequestCloser closer);

// The thread procedure start launches.
void RunWorker(std::shared_ptr<DownloadItem> item, DownloadManager& manager);
// Caller holds the manager lock.
void CloseRequestsLocked(DownloadItem& item);

}  // namespace vonu
