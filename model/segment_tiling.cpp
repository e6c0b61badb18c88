#include "model/segment_tiling.h"

#include <algorithm>

namespace vonu {

bool SegmentsTile(std::vector<Segment> segments, int64_t size) {
    if (size < 1 || segments.empty()) return false;
    std::sort(segments.begin(), segments.end(), [](const Segment& a, const Segment& b) { return a.start < b.start; });
    int64_t at = 0;
    for (const Segment& s : segments) {
        if (s.start != at || s.end < s.start || s.end >= size) return false;
        if (s.next < s.start || s.next > s.end + 1) return false;
        at = s.end + 1;
    }
    return at == size;
}

bool SegmentsCoverFinished(const std::vector<Segment>& segments, int64_t size) {
    return SegmentsTile(segments, size) &&
           std::all_of(segments.begin(), segments.end(), [](const Segment& s) { return s.Finished(); });
}

}  // namespace vonu
