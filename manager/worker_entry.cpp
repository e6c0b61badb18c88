#include "manager/worker_entry.h"

#include <atomic>
#include <mutex>

namespace vonu {
namespace {

void NoEngineWorker(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    {
        std::lock_guard guard(m.lock);
        if (item->cancel) {
            if (item->state == DownloadState::Downloading && !item->restartPending)
                item->state = DownloadState::Stopped;
        } else {
            item->state = DownloadState::Error;
            item->lastError = L"Downloading is not available in this build.";
            item->runQueueId = 0;
        }
        m.listDirty = true;
    }
    item->workerRunning.exchange(false);
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
