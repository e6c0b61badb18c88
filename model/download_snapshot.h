// The copy of a download the user interface works with, taken whole under the manager
// lock so it is one consistent picture: the stored record and the live values the windows
// show. The cookie and the run's threads and requests are not copied.
#pragma once

#include <cstdint>
#include <vector>

#include "model/download_record.h"

namespace vonu {

struct DownloadSnapshot : DownloadRecord {
    int64_t downloaded = 0;
    bool probing = false;
    double speed = 0;
    std::vector<int32_t> busySegments;  // indexes, ascending
    bool scanning = false;
    int32_t partsDone = 0;
};

}  // namespace vonu
