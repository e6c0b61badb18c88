// One download: what list.ini keeps about it (DownloadRecord), what only its runs need
// (DownloadRun), and the in-memory state between the two (the browser's cookie, the video
// parts found by the probe and which of them are on disk). Shared by the list and by every
// thread that works on it (std::shared_ptr), so a removed item stays valid until its last
// thread lets go.
//
// Every plain field is guarded by the manager lock. The run's three atomic flags are polled
// by worker threads without the lock. The run's two threads are joined only by the
// user-interface thread, never by the item's own threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/download_record.h"
#include "model/download_run.h"
#include "model/download_types.h"

namespace vonu {

struct DownloadItem : DownloadRecord, DownloadRun {
    std::wstring cookie;      // from the browser; never stored
    std::wstring mapAddress;  // the video's initialisation section
    std::vector<VideoPart> parts;
    std::vector<VideoKey> keys;
    std::vector<uint8_t> partDone;  // that video part is on disk
    int64_t videoBytes = 0;

    DownloadRecord& Record() { return *this; }
    const DownloadRecord& Record() const { return *this; }

    // Video bytes for a video item, else the bytes done over all segments.
    int64_t DownloadedBytes() const;
};

}  // namespace vonu
