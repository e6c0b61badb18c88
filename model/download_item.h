// One download. Shared by the list and by every thread that works on it (std::shared_ptr),
// so a removed item stays valid until its last thread lets go.
//
// Every plain field is guarded by the manager lock. The three atomic flags are polled by
// worker threads without the lock. The two threads are joined only by the user-interface
// thread, never by the item's own threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/download_types.h"

namespace vonu {

struct RequestRecord;  // an HTTP or FTP request in flight (engine)

struct DownloadItem {
    int32_t id = 0;
    std::wstring url;
    std::wstring fileName;
    std::wstring path;
    std::wstring category;
    std::wstring description;
    std::wstring lastError;
    std::wstring referrer;
    std::wstring cookie;     // from the browser; never stored
    std::wstring userAgent;  // empty: the program's own
    int64_t size = -1;       // -1: unknown
    bool resumable = false;
    bool probed = false;
    bool userPath = false;
    bool endReached = false;
    bool restartPending = false;
    int32_t queueId = 0;     // 0: none
    int32_t runQueueId = 0;  // queue whose runner started this run; 0: started by hand
    bool video = false;
    bool scanning = false;
    std::wstring mapAddress;
    std::vector<VideoPart> parts;
    std::vector<VideoKey> keys;
    std::vector<uint8_t> partDone;
    std::vector<uint8_t> partInProgress;
    int32_t partCount = 0;
    int64_t videoBytes = 0;
    int32_t state = static_cast<int32_t>(DownloadState::Stopped);  // a DownloadState
    int64_t added = 0;      // FILETIME
    int64_t lastStart = 0;  // FILETIME
    int32_t connections = 8;
    std::vector<Segment> segments;
    std::vector<uint8_t> segmentBusy;
    std::atomic<bool> cancel{false};
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> probing{false};
    std::thread worker;
    std::thread probe;
    std::set<RequestRecord*> openRequests;  // ordered by record identity
    double speed = 0;  // bytes per second
    int64_t bytesAtStart = 0;
    uint32_t startTick = 0;
    std::deque<SpeedSample> speedWindow;

    DownloadState State() const { return static_cast<DownloadState>(state); }

    // Video bytes for a video item, else the bytes done over all segments.
    int64_t DownloadedBytes() const;
};

}  // namespace vonu
