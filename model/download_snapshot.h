// The copy of a download the user interface works with, taken whole under the manager
// lock so it is one consistent picture. User agent and cookie are not copied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/download_types.h"

namespace vonu {

struct DownloadSnapshot {
    int32_t id = 0;
    std::wstring url;
    std::wstring fileName;
    std::wstring path;
    std::wstring category;
    std::wstring description;
    std::wstring lastError;
    std::wstring referrer;
    int64_t size = -1;
    int64_t downloaded = 0;
    bool resumable = false;
    bool probed = false;
    bool probing = false;
    int32_t state = static_cast<int32_t>(DownloadState::Stopped);
    double speed = 0;
    int64_t added = 0;
    int64_t lastStart = 0;
    std::vector<Segment> segments;
    std::vector<int32_t> busySegments;  // indexes, ascending
    int32_t connections = 8;
    int32_t queueId = 0;
    bool video = false;
    bool scanning = false;
    int32_t partCount = 0;
    int32_t partsDone = 0;
};

}  // namespace vonu
