// Driving whole downloads in a test process as the program does: AddDownload and its probe,
// then the manager tick every 50 ms until the run has ended.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/probe.h"
#include "engine/retry_policy.h"
#include "manager/tick.h"
#include "model/download_manager.h"
#include "tests/support/test_servers.h"

namespace vonu::test {

// Retries that pause 30 ms instead of seconds; the cases that count them still see as many.
inline RetryPolicies QuickRetries() { return RetryPolicies{RetryPolicy{{30, 30, 30, 30}}, RetryPolicy{{30, 30, 30}}}; }

// Adds the download with `connections` and waits for its probe to end (30 s at most).
inline std::shared_ptr<DownloadItem> AddAndProbe(const std::wstring& url, int32_t connections = 8,
                                                 const DownloadOptions& options = {}) {
    const int32_t id = AddDownload(url, options);
    std::shared_ptr<DownloadItem> d;
    {
        std::lock_guard guard(Manager().lock);
        d = Manager().FindLocked(id);
        d->connections = connections;
    }
    WaitUntilTrue(30000, [&] { return !d->probing.load(); });
    std::lock_guard guard(Manager().lock);
    if (d->probe.joinable()) d->probe.join();
    return d;
}

// Ticks every 50 ms until the item's run has ended (or `until`, read under the manager lock,
// holds); false when the time ran out first.
inline bool RunUntilEnded(const std::shared_ptr<DownloadItem>& d, const std::function<bool()>& until, DWORD ms) {
    return WaitUntilTrue(ms, [&] {
        Tick(Manager());
        std::lock_guard guard(Manager().lock);
        if (until) return until();
        return d->state != DownloadState::Downloading && !d->workerRunning && !d->worker.joinable();
    });
}

}  // namespace vonu::test
