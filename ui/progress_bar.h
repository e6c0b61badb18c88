// The progress window's bar control ("VonuProgressBar"), in one of two modes: the whole file
// as one filled span, or each connection's byte range and how far it got. The control keeps
// a copy of the download's snapshot and animates towards it every 16 ms: the shown
// percentage and each segment's shown position ease towards their targets (never backwards),
// and while the download runs a white shimmer sweeps over the filled spans every 1.8 s.
// It paints into an off-screen bitmap. User-interface thread.
//
// The animation step and the geometry are plain functions of the state, so they can be
// checked without a window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

enum class BarMode { WholeFile, Connections };

struct BarAnimation {
    double shownPercent = -1;            // below 0: not set yet
    std::vector<double> shownPositions;  // one per segment, in bytes
};

// Takes a new snapshot: sets the shown percentage on first use, and gives every new segment
// its current next position as shown position (a list longer than the segments is cut).
void TakeSnapshot(BarAnimation& a, const DownloadSnapshot& d);

// One 16 ms step towards the snapshot. True while something is still moving.
bool AnimationStep(BarAnimation& a, const DownloadSnapshot& d);

// Whether the 16 ms timer keeps running after a step: while something moves, and always while
// the download is Downloading and not being scanned (the shimmer moves).
bool KeepAnimating(bool moving, const DownloadSnapshot& d);

// One filled span of the bar, in pixels from the left edge.
struct BarSpan {
    int x0 = 0, x1 = 0;
    COLORREF colour = 0;
    bool shimmer = false;    // draw the sweeping band over it
    double phase = 0;        // of the band, 0 to 1
    bool edgeMark = false;   // the 2-pixel mark at the leading edge (a working connection)
    bool separator = false;  // the 1-pixel white line at x0 (a segment that does not start at 0)
    bool operator==(const BarSpan&) const = default;
};

inline constexpr COLORREF kBarBackground = RGB(230, 230, 234);
inline constexpr COLORREF kBarGreen = RGB(46, 158, 98);
inline constexpr COLORREF kBarOrange = RGB(217, 134, 26);
inline constexpr COLORREF kBarDarkOrange = RGB(176, 106, 16);
inline constexpr COLORREF kBarEdgeMark = RGB(52, 56, 61);
inline constexpr COLORREF kBarBorder = RGB(225, 225, 229);

// The spans to paint for a bar `width` pixels wide; `phase` is the shimmer phase now.
// A download of unknown size (0 or less) draws like the whole file in either mode.
std::vector<BarSpan> BarSpans(const BarAnimation& a, const DownloadSnapshot& d, BarMode mode, int width,
                              double phase);

// The shimmer's phase: ((now - created) modulo 1800) / 1800.
double ShimmerPhase(uint64_t nowMs, uint64_t createdMs);

// The band over a span from `left` that is `width` pixels wide: its left edge and width, or
// nothing when the span is narrower than 6 pixels. The caller clips it to the span.
struct ShimmerBand {
    double left = 0, width = 0;
};
std::optional<ShimmerBand> ShimmerBandFor(double left, double width, double phase);

// Registers the window class (once per process); the progress window's template names it.
bool RegisterProgressBarClass(HINSTANCE instance);
inline constexpr wchar_t kProgressBarClass[] = L"VonuProgressBar";

// Stores the snapshot and the mode, starts the animation timer if it is not running, repaints.
void UpdateProgressBar(HWND bar, const DownloadSnapshot& d, BarMode mode);

}  // namespace vonu
