// The segment arithmetic of a transfer, without threads, files or network: the first split
// of a file, the merge of saved segments on resume, and the choice of work for a connection
// (free work first, else the second half of the busiest segment with the most left).
#pragma once

#include <cstdint>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

inline constexpr int64_t kMiB = 1048576;
inline constexpr int64_t kMinSplit = 2 * kMiB;  // a segment is split only with this much left

// Fresh segments. Resumable with a known size above 0: one per whole MiB, at most
// `connections`, at least one, of equal length (the last takes the remainder). Otherwise one
// segment over the whole file, open-ended (end -1) when the size is unknown or 0.
std::vector<Segment> InitialSegments(int64_t size, bool resumable, int32_t connections);

// Saved segments for a resumed run: sorted by start, and a finished segment absorbs the one
// right after it (start, that one's end, that one's next), so no finished byte is lost and
// no gap appears.
std::vector<Segment> MergeResumedSegments(std::vector<Segment> segments);

// PickSegment's answers besides an index.
inline constexpr int kNoWork = -1;
inline constexpr int kServerLimitReached = -2;

// The next piece of work for a connection of `item`: an index into its segments with that
// segment's busy flag now set, kNoWork, or kServerLimitReached when the connections already
// open to the item's host, over every running download, reach the limit for that host.
// Takes the manager lock (and, inside it, the category lock for the limit).
int PickSegment(DownloadManager& m, DownloadItem& item);

// The same, for a caller that holds the manager lock.
int PickSegmentLocked(DownloadManager& m, DownloadItem& item);

}  // namespace vonu
