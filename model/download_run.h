// What exists about a download only while it runs or is probed: its threads, the cancel
// flag, the requests in flight, the per-segment and per-part busy flags and the speed
// window. Not copyable and never stored.
//
// The three atomic flags are polled by worker threads without the lock; everything else is
// guarded by the manager lock. The threads are joined only by the user-interface thread,
// never by the download's own threads. A request registers in the run it serves, so a stop
// closes exactly the requests of that run (see engine/http_request.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <set>
#include <thread>
#include <vector>

#include "model/download_types.h"

namespace vonu {

struct RequestRecord;  // an HTTP or FTP request in flight (engine)

struct DownloadRun {
    std::atomic<bool> cancel{false};  // the worker and its connections must stop
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> probing{false};
    std::thread worker;
    std::thread probe;
    std::set<RequestRecord*> openRequests;  // ordered by record identity
    bool restartPending = false;            // a start came while the worker was still stopping
    int32_t runQueueId = 0;                 // queue whose runner started this run; 0: started by hand
    bool scanning = false;                  // the antivirus check runs
    std::vector<uint8_t> segmentBusy;       // a connection works on that segment
    std::vector<uint8_t> partInProgress;    // a part worker has taken that video part
    double speed = 0;                       // bytes per second, measured by the manager tick
    int64_t bytesAtStart = 0;
    uint32_t startTick = 0;
    std::deque<SpeedSample> speedWindow;

    DownloadRun() = default;
    DownloadRun(const DownloadRun&) = delete;
    DownloadRun& operator=(const DownloadRun&) = delete;
};

}  // namespace vonu
