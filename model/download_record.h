// What list.ini keeps about one download: a plain, copyable record. The snapshot the
// windows work on is this record plus a few live values, and the list file's field table
// walks these members to load and save them, so each stored field is declared once here.
//
// Inside a DownloadItem the record's fields are guarded by the manager lock like every
// other plain field; a copy belongs to whoever made it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/download_types.h"

namespace vonu {

struct DownloadRecord {
    int32_t id = 0;  // the section name "D" + id; positive, never reused within a run
    std::wstring url;
    std::wstring referrer;
    std::wstring userAgent;  // empty: the program's own
    std::wstring fileName;
    std::wstring path;
    std::wstring category;
    std::wstring description;
    std::wstring lastError;
    int64_t size = -1;  // -1: unknown
    bool resumable = false;
    bool probed = false;
    bool userPath = false;    // the user fixed the path: the probe keeps name, category, path
    bool endReached = false;  // unknown size: the stream ended normally
    DownloadState state = DownloadState::Stopped;
    int64_t added = 0;      // FILETIME
    int64_t lastStart = 0;  // FILETIME
    int32_t connections = 8;
    int32_t queueId = 0;  // 0: none
    bool video = false;   // an HLS playlist
    int32_t partCount = 0;
    std::vector<Segment> segments;

    bool operator==(const DownloadRecord&) const = default;
};

}  // namespace vonu
