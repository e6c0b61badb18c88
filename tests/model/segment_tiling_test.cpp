// The check that segments describe every byte of a file exactly once, on resume and at finish.
#include "model/segment_tiling.h"

#include <gtest/gtest.h>

namespace vonu {
namespace {

TEST(SegmentTiling, ExactCoverOfTheFileOnly) {
    struct Case {
        const char* name;
        int64_t size;
        std::vector<Segment> segments;
        bool tiles, finished;
    } const cases[] = {
        {"one segment, untouched", 100, {{0, 99, 0}}, true, false},
        {"one segment, done", 100, {{0, 99, 100}}, true, true},
        {"split, out of order, done", 300, {{200, 299, 300}, {0, 99, 100}, {100, 199, 200}}, true, true},
        {"split, one still running", 300, {{0, 99, 100}, {100, 199, 150}, {200, 299, 300}}, true, false},
        {"split in two halves, done", 100, {{0, 49, 50}, {50, 99, 100}}, true, true},
        {"no segments", 100, {}, false, false},
        {"unknown size", -1, {{0, -1, 50}}, false, false},
        {"size 0", 0, {{0, -1, 0}}, false, false},
        {"open-ended for a known size", 100, {{0, -1, 100}}, false, false},
        {"not from byte 0", 100, {{1, 99, 99}}, false, false},
        {"short of the end (a cut list)", 300, {{0, 99, 100}, {100, 199, 200}}, false, false},
        {"past the end", 100, {{0, 199, 200}}, false, false},
        {"a gap", 300, {{0, 99, 100}, {150, 299, 300}}, false, false},
        {"overlapping", 300, {{0, 199, 200}, {100, 299, 300}}, false, false},
        {"the same range twice", 100, {{0, 99, 100}, {0, 99, 100}}, false, false},
        {"next before its start", 200, {{0, 99, 100}, {100, 199, 50}}, false, false},
        {"next past its end", 200, {{0, 99, 150}, {100, 199, 200}}, false, false},
        {"end before start", 100, {{0, 49, 50}, {50, 40, 50}, {50, 99, 100}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SegmentsTile(c.segments, c.size), c.tiles);
        EXPECT_EQ(SegmentsCoverFinished(c.segments, c.size), c.finished);
    }
}

}  // namespace
}  // namespace vonu
