#include "model/worker_run.h"

#include <mutex>

namespace vonu {

WorkerRun::WorkerRun(DownloadManager& manager, std::shared_ptr<DownloadItem> runItem)
    : m(manager), item(std::move(runItem)) {}

WorkerRun::~WorkerRun() {
    {
        std::lock_guard guard(m.lock);
        DownloadItem& d = *item;
        d.speed = 0;
        d.segmentBusy.assign(d.segments.size(), 0);
        d.partInProgress.assign(d.partInProgress.size(), 0);
        if (d.cancel.load()) {
            if (d.state == DownloadState::Downloading && !d.restartPending) d.state = DownloadState::Stopped;
        } else {
            if (d.state == DownloadState::Downloading) {
                d.state = DownloadState::Error;
                if (d.lastError.empty()) d.lastError = L"Download did not finish";
            }
            d.runQueueId = 0;
        }
        m.listDirty = true;
    }
    item->workerRunning.exchange(false);
}

void WorkerRun::FailLocked(const std::wstring& sentence) {
    item->state = DownloadState::Error;
    item->lastError = sentence;
}

void WorkerRun::FailWithLastErrorLocked(const wchar_t* otherwise) {
    FailLocked(errors.empty() ? std::wstring(otherwise) : errors.back());
}

}  // namespace vonu
