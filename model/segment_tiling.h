// Whether a download's segments describe every byte of its file exactly once: the check a
// resume and the finish trust before they rely on the segments (saved ones come from
// list.ini, which may be cut short or damaged).
#pragma once

#include <cstdint>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// True when the segments, in any order, cover [0, size) exactly: sorted by start, the first
// starts at 0, each next one starts right after the end of the one before, the last ends at
// size - 1, and each next position lies inside its own segment (start to end + 1). An open
// segment (end -1) never tiles a known size. False for a size below 1 or no segments.
bool SegmentsTile(std::vector<Segment> segments, int64_t size);

// Tiling, and every segment finished: all bytes of the file were fetched.
bool SegmentsCoverFinished(const std::vector<Segment>& segments, int64_t size);

}  // namespace vonu
