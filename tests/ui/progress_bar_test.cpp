#include "ui/progress_bar.h"

#include <gtest/gtest.h>

#include "model/download_types.h"

namespace vonu {
namespace {

// 1000 bytes in four segments of 250; `done` bytes fetched in each.
DownloadSnapshot Download(DownloadState state, std::vector<int64_t> done) {
    DownloadSnapshot d;
    d.size = 1000;
    d.state = state;
    for (size_t i = 0; i < done.size(); ++i) {
        const int64_t start = static_cast<int64_t>(i) * 250;
        d.segments.push_back({start, start + 249, start + done[i]});
        d.downloaded += done[i];
    }
    return d;
}

// Steps until nothing moves (at most `limit` steps); the number of steps taken.
int Settle(BarAnimation& a, const DownloadSnapshot& d, int limit = 1000) {
    for (int i = 1; i <= limit; ++i)
        if (!AnimationStep(a, d)) return i;
    return limit + 1;
}

TEST(ProgressBarAnimation, EasesUpJumpsDownAndSettlesExactly) {
    BarAnimation a;
    DownloadSnapshot d = Download(DownloadState::Downloading, {0, 0, 0, 0});
    TakeSnapshot(a, d);
    EXPECT_EQ(a.shownPercent, 0.0) << "the first snapshot sets the shown percentage";
    ASSERT_EQ(a.shownPositions.size(), 4u);

    d = Download(DownloadState::Downloading, {250, 250, 0, 0});  // 50 %
    TakeSnapshot(a, d);
    EXPECT_EQ(a.shownPercent, 0.0) << "a later snapshot does not jump";
    EXPECT_TRUE(AnimationStep(a, d));
    EXPECT_DOUBLE_EQ(a.shownPercent, 10.0) << "a fifth of the way";
    EXPECT_DOUBLE_EQ(a.shownPositions[0], 50.0);
    EXPECT_DOUBLE_EQ(a.shownPositions[1], 300.0);
    double previous = a.shownPercent;
    for (int i = 0; i < 5; ++i) {
        AnimationStep(a, d);
        EXPECT_GT(a.shownPercent, previous);
        EXPECT_LT(a.shownPercent, 50.0);
        previous = a.shownPercent;
    }
    EXPECT_LT(Settle(a, d), 100);
    EXPECT_EQ(a.shownPercent, 50.0) << "it lands exactly on the target";
    EXPECT_EQ(a.shownPositions[0], 250.0);
    EXPECT_EQ(a.shownPositions[1], 500.0);

    // Falling by more than half a percent jumps at once; by less it eases.
    d = Download(DownloadState::Downloading, {200, 250, 0, 0});  // 45 %
    AnimationStep(a, d);
    EXPECT_EQ(a.shownPercent, 45.0);
    d = Download(DownloadState::Downloading, {199, 250, 0, 0});  // 44.9 %
    AnimationStep(a, d);
    EXPECT_GT(a.shownPercent, 44.9);
    EXPECT_LT(a.shownPercent, 45.0);
}

TEST(ProgressBarAnimation, SegmentsNeverRunBackwardsAndAShortenedOneShowsAtOnce) {
    BarAnimation a;
    DownloadSnapshot d = Download(DownloadState::Downloading, {200, 0, 0, 0});
    TakeSnapshot(a, d);
    EXPECT_EQ(a.shownPositions[0], 200.0) << "a new segment starts where it is";

    // The segment list was made again with less done (a split re-planned the ranges): the
    // bar shortens in the same step instead of easing back.
    d.segments[0] = {0, 99, 100};
    d.segments.insert(d.segments.begin() + 1, Segment{100, 249, 100});
    TakeSnapshot(a, d);
    ASSERT_EQ(a.shownPositions.size(), 5u);
    EXPECT_EQ(a.shownPositions[4], static_cast<double>(d.segments[4].next)) << "the appended one";
    AnimationStep(a, d);
    EXPECT_EQ(a.shownPositions[0], 100.0);

    // Growing: every step moves forward, never past the target.
    d.segments[2].next = 400;
    double previous = a.shownPositions[2];
    while (AnimationStep(a, d)) {
        EXPECT_GE(a.shownPositions[2], previous);
        EXPECT_LE(a.shownPositions[2], 400.0);
        previous = a.shownPositions[2];
    }
    EXPECT_EQ(a.shownPositions[2], 400.0);

    // Fewer segments: the list is cut.
    d.segments.resize(2);
    TakeSnapshot(a, d);
    EXPECT_EQ(a.shownPositions.size(), 2u);
}

TEST(ProgressBarAnimation, TimerRunsWhileMovingOrWhileTheShimmerMoves) {
    struct Case {
        DownloadState state;
        bool scanning;
        bool moving;
        bool keep;
    };
    const Case cases[] = {
        {DownloadState::Downloading, false, false, true}, {DownloadState::Downloading, true, false, false},
        {DownloadState::Downloading, true, true, true},   {DownloadState::Stopped, false, false, false},
        {DownloadState::Stopped, false, true, true},      {DownloadState::Complete, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state) * 10 + c.scanning * 2 + c.moving);
        DownloadSnapshot d = Download(c.state, {0});
        d.scanning = c.scanning;
        EXPECT_EQ(KeepAnimating(c.moving, d), c.keep);
    }
}

TEST(ProgressBarGeometry, ConnectionSpansColoursAndMarks) {
    BarAnimation a;
    DownloadSnapshot d = Download(DownloadState::Downloading, {125, 250, 50, 0});
    d.busySegments = {0, 2};
    TakeSnapshot(a, d);
    const std::vector<BarSpan> spans = BarSpans(a, d, BarMode::Connections, 400, 0.5);
    ASSERT_EQ(spans.size(), 4u);
    struct Expect {
        int x0, x1;
        COLORREF colour;
        bool working, separator;
    };
    const Expect expected[] = {{0, 50, kBarOrange, true, false},
                               {100, 200, kBarDarkOrange, false, true},
                               {200, 220, kBarOrange, true, true},
                               {300, 300, kBarDarkOrange, false, true}};
    for (size_t i = 0; i < spans.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(spans[i].x0, expected[i].x0);
        EXPECT_EQ(spans[i].x1, expected[i].x1);
        EXPECT_EQ(spans[i].colour, expected[i].colour);
        EXPECT_EQ(spans[i].shimmer, expected[i].working);
        EXPECT_EQ(spans[i].edgeMark, expected[i].working);
        EXPECT_EQ(spans[i].separator, expected[i].separator);
    }
    EXPECT_DOUBLE_EQ(spans[0].phase, 0.5);
    EXPECT_NEAR(spans[2].phase, 0.84, 1e-9) << "each connection's band is offset by 0.17";

    // Scanning or stopped: no shimmer and no marks, the spans stay.
    d.scanning = true;
    for (const BarSpan& s : BarSpans(a, d, BarMode::Connections, 400, 0.5)) {
        EXPECT_FALSE(s.shimmer);
        EXPECT_FALSE(s.edgeMark);
    }
}

TEST(ProgressBarGeometry, CompleteDownloadIsGreenEdgeToEdgeInBothModes) {
    BarAnimation a;
    DownloadSnapshot d = Download(DownloadState::Complete, {250, 250, 250, 250});
    TakeSnapshot(a, d);
    const std::vector<BarSpan> whole = BarSpans(a, d, BarMode::WholeFile, 300, 0.2);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].x0, 0);
    EXPECT_EQ(whole[0].x1, 300);
    EXPECT_EQ(whole[0].colour, kBarGreen);
    EXPECT_FALSE(whole[0].shimmer);
    const std::vector<BarSpan> connections = BarSpans(a, d, BarMode::Connections, 300, 0.2);
    ASSERT_EQ(connections.size(), 4u);
    int covered = 0;
    for (const BarSpan& s : connections) {
        EXPECT_EQ(s.colour, kBarGreen);
        EXPECT_EQ(s.x0, covered) << "no gap between the segments";
        covered = s.x1;
    }
    EXPECT_EQ(covered, 300);
}

TEST(ProgressBarGeometry, UnknownSizeDrawsLikeTheWholeFile) {
    BarAnimation a;
    DownloadSnapshot d = Download(DownloadState::Downloading, {});
    d.size = -1;
    d.segments = {{0, -1, 5000}};
    d.busySegments = {0};
    TakeSnapshot(a, d);
    EXPECT_TRUE(BarSpans(a, d, BarMode::Connections, 200, 0).empty()) << "0 % of an unknown size";
    EXPECT_EQ(BarSpans(a, d, BarMode::Connections, 200, 0), BarSpans(a, d, BarMode::WholeFile, 200, 0));

    // A video of unknown size reports its parts: the connection bar shows that percentage.
    BarAnimation v;
    DownloadSnapshot video = d;
    video.video = true;
    video.partCount = 4;
    video.partsDone = 1;
    TakeSnapshot(v, video);
    const std::vector<BarSpan> spans = BarSpans(v, video, BarMode::Connections, 200, 0.25);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].x1, 50);
    EXPECT_TRUE(spans[0].shimmer);
    EXPECT_EQ(spans, BarSpans(v, video, BarMode::WholeFile, 200, 0.25));
}

TEST(ProgressBarGeometry, ShimmerBandSweepsAcrossInOnePeriod) {
    EXPECT_FALSE(ShimmerBandFor(10, 5, 0.5)) << "too narrow a span";
    struct Case {
        double left, width, phase;
        double bandLeft, bandWidth;
    };
    const Case cases[] = {
        {0, 200, 0.0, -105, 70},          // width × 0.35
        {0, 200, 1.0, 235, 70},           // past the right edge
        {10, 50, 0.5, 10 + 65 - 60, 40},  // at least 40
        {0, 1000, 0.5, 640 - 210, 140},   // at most 140
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width * 10 + c.phase);
        const auto band = ShimmerBandFor(c.left, c.width, c.phase);
        ASSERT_TRUE(band);
        EXPECT_DOUBLE_EQ(band->left, c.bandLeft);
        EXPECT_DOUBLE_EQ(band->width, c.bandWidth);
    }
    // Before and after a sweep the band lies wholly outside the span.
    const auto start = ShimmerBandFor(0, 200, 0.0), end = ShimmerBandFor(0, 200, 0.999);
    EXPECT_LE(start->left + start->width, 0);
    EXPECT_GE(end->left, 200 - 1);
    EXPECT_DOUBLE_EQ(ShimmerPhase(10900, 1000), 0.5);
    EXPECT_DOUBLE_EQ(ShimmerPhase(1000, 1000), 0.0);
}

}  // namespace
}  // namespace vonu
