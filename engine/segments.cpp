#include "engine/segments.h"

#include <algorithm>
#include <mutex>

#include "model/hosts.h"

namespace vonu {

std::vector<Segment> InitialSegments(int64_t size, bool resumable, int32_t connections) {
    if (resumable && size > 0) {
        int64_t count = std::min<int64_t>(size / kMiB, std::max(connections, 1));
        count = std::max<int64_t>(count, 1);
        const int64_t length = size / count;
        std::vector<Segment> out;
        out.reserve(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            Segment s;
            s.start = i * length;
            s.end = (i == count - 1) ? size - 1 : s.start + length - 1;
            s.next = s.start;
            out.push_back(s);
        }
        return out;
    }
    return {Segment{0, size >= 1 ? size - 1 : -1, 0}};
}

std::vector<Segment> MergeResumedSegments(std::vector<Segment> segments) {
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return a.start < b.start; });
    std::vector<Segment> kept;
    kept.reserve(segments.size());
    for (const Segment& s : segments) {
        if (!kept.empty() && kept.back().Finished() && kept.back().end + 1 == s.start) {
            kept.back().end = s.end;
            kept.back().next = s.next;
        } else {
            kept.push_back(s);
        }
    }
    return kept;
}

namespace {

bool SegmentHasWork(const DownloadItem& item, const Segment& s) {
    return s.end < 0 ? !item.endReached : s.next <= s.end;
}

}  // namespace

int PickSegmentLocked(DownloadManager& m, DownloadItem& item) {
    if (item.cancel) return kNoWork;
    item.segmentBusy.resize(item.segments.size(), 0);

    const std::wstring host = HostOfAddress(item.url);
    const int32_t limit = LimitForHost(m, host);
    if (limit > 0) {
        int32_t open = 0;
        for (const auto& other : m.downloads) {
            if (!other->workerRunning || HostOfAddress(other->url) != host) continue;
            for (uint8_t busy : other->segmentBusy) open += busy ? 1 : 0;
        }
        // An item that runs without being in the list (a removed one ending) still counts.
        if (std::find_if(m.downloads.begin(), m.downloads.end(),
                         [&](const auto& d) { return d.get() == &item; }) == m.downloads.end())
            for (uint8_t busy : item.segmentBusy) open += busy ? 1 : 0;
        if (open >= limit) return kServerLimitReached;
    }

    for (size_t i = 0; i < item.segments.size(); ++i) {
        if (item.segmentBusy[i] || !SegmentHasWork(item, item.segments[i])) continue;
        item.segmentBusy[i] = 1;
        return static_cast<int>(i);
    }

    if (!item.resumable) return kNoWork;
    int best = -1;
    int64_t bestLeft = 0;
    for (size_t i = 0; i < item.segments.size(); ++i) {
        const Segment& s = item.segments[i];
        if (!item.segmentBusy[i] || s.end < 0) continue;
        const int64_t left = s.end - s.next + 1;
        if (left > bestLeft) {
            bestLeft = left;
            best = static_cast<int>(i);
        }
    }
    if (best < 0 || bestLeft < kMinSplit) return kNoWork;
    Segment& old = item.segments[static_cast<size_t>(best)];
    Segment added;
    added.start = old.next + bestLeft / 2;
    added.end = old.end;
    added.next = added.start;
    old.end = added.start - 1;
    item.segments.push_back(added);
    item.segmentBusy.push_back(1);
    return static_cast<int>(item.segments.size() - 1);
}

int PickSegment(DownloadManager& m, DownloadItem& item) {
    std::lock_guard guard(m.lock);
    return PickSegmentLocked(m, item);
}

}  // namespace vonu
