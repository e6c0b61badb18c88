#include "manager/worker_entry.h"

#include <atomic>
#include <mutex>

#include "model/worker_run.h"

namespace vonu {
namespace {

void NoEngineWorker(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    WorkerRun run(m, std::move(item));
    std::lock_guard guard(m.lock);
    if (!run.Cancelled()) run.FailLocked(L"Downloading is not available in this build.");
}

void NoRequests(DownloadItem&) {}

std::atomic<TransferWorker> g_worker{NoEngineWorker};
std::atomic<RequestCloser> g_closer{NoRequests};

}  // namespace

void SetTransferWorker(TransferWorker worker) { g_worker = worker ? worker : NoEngineWorker; }
void SetRequestCloser(RequestCloser closer) { g_closer = closer ? closer : NoRequests; }

void RunWorker(std::shared_ptr<DownloadItem> item, DownloadManager& manager) {
    g_worker.load()(std::move(item), manager);
}

void CloseRequestsLocked(DownloadItem& item) { g_closer.load()(item); }

}  // namespace vonu
