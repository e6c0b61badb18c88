#include "ui/progress_bar.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>

#include "l10n/display_format.h"
#include "ui/gdi_handles.h"

namespace vonu {
namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationMilliseconds = 16;
constexpr double kEase = 0.2;

bool IsState(const DownloadSnapshot& d, DownloadState s) { return d.state == s; }

bool Live(const DownloadSnapshot& d) { return IsState(d, DownloadState::Downloading) && !d.scanning; }

bool Busy(const DownloadSnapshot& d, size_t segment) {
    return std::binary_search(d.busySegments.begin(), d.busySegments.end(), static_cast<int32_t>(segment));
}

double Fraction(double x) { return x - std::floor(x); }

int PixelAt(int64_t bytes, double width, int64_t size) {
    return static_cast<int>(static_cast<double>(bytes) * width / static_cast<double>(size));
}

struct Bar {
    DownloadSnapshot snapshot;
    BarMode mode = BarMode::WholeFile;
    BarAnimation animation;
    bool timerRunning = false;
    ULONGLONG created = 0;
};

Bar* BarOf(HWND window) { return reinterpret_cast<Bar*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

Gdiplus::Color Argb(BYTE alpha, COLORREF c) {
    return Gdiplus::Color(alpha, GetRValue(c), GetGValue(c), GetBValue(c));
}

void Fill(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
    if (x1 <= x0 || y1 <= y0) return;
    RECT r{x0, y0, x1, y1};
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);  // a solid fill without a brush
}

void PaintShimmer(Gdiplus::Graphics& g, int x0, int x1, int height, double phase) {
    const auto band = ShimmerBandFor(x0, x1 - x0, phase);
    if (!band) return;
    const Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(band->left), 0,
                              static_cast<Gdiplus::REAL>(band->width), static_cast<Gdiplus::REAL>(height));
    // The brush's rectangle is widened by a pixel on each side: GDI+ wraps the gradient at
    // its exact edges, which would show as a faint line.
    Gdiplus::LinearGradientBrush brush(Gdiplus::RectF(rect.X - 1, rect.Y, rect.Width + 2, rect.Height),
                                       Argb(0, RGB(255, 255, 255)), Argb(0, RGB(255, 255, 255)),
                                       Gdiplus::LinearGradientModeHorizontal);
    const Gdiplus::Color colours[] = {Argb(0, RGB(255, 255, 255)), Argb(90, RGB(255, 255, 255)),
                                      Argb(0, RGB(255, 255, 255))};
    const Gdiplus::REAL positions[] = {0.0f, 0.5f, 1.0f};
    brush.SetInterpolationColors(colours, positions, 3);
    g.SetClip(Gdiplus::Rect(x0, 0, x1 - x0, height));
    g.FillRectangle(&brush, rect);
    g.ResetClip();
}

void PaintBar(const Bar& bar, HDC dc, int width, int height) {
    Fill(dc, 0, 0, width, height, kBarBackground);
    const double phase = ShimmerPhase(GetTickCount64(), bar.created);
    const std::vector<BarSpan> spans = BarSpans(bar.animation, bar.snapshot, bar.mode, width, phase);
    {
        Gdiplus::Graphics g(dc);
        for (const BarSpan& s : spans) {
            Fill(dc, s.x0, 0, s.x1, height, s.colour);
            if (s.shimmer && s.x1 > s.x0) PaintShimmer(g, s.x0, s.x1, height, s.phase);
            if (s.edgeMark && s.x1 > s.x0) Fill(dc, std::max(s.x1 - 2, s.x0), 0, s.x1, height, kBarEdgeMark);
            if (s.separator) Fill(dc, s.x0, 0, s.x0 + 1, height, RGB(255, 255, 255));
        }
        g.Flush(Gdiplus::FlushIntentionSync);
    }
    // The frame.
    Fill(dc, 0, 0, width, 1, kBarBorder);
    Fill(dc, 0, height - 1, width, height, kBarBorder);
    Fill(dc, 0, 0, 1, height, kBarBorder);
    Fill(dc, width - 1, 0, width, height, kBarBorder);
}

void OnPaint(HWND window, Bar& bar) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width > 0 && height > 0) {
        const MemoryDc memory(CreateCompatibleDC(dc));
        const BitmapHandle bitmap(CreateCompatibleBitmap(dc, width, height));
        if (memory && bitmap) {
            HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
            PaintBar(bar, memory.get(), width, height);
            // In a right-to-left window the copy is mirrored on purpose: the bar fills from
            // the leading edge, as a reader of that language expects.
            BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
            SelectObject(memory.get(), old);
        }
    }
    EndPaint(window, &ps);
}

void OnTimer(HWND window, Bar& bar) {
    const bool moving = AnimationStep(bar.animation, bar.snapshot);
    if (!KeepAnimating(moving, bar.snapshot)) {
        KillTimer(window, kAnimationTimer);
        bar.timerRunning = false;
    }
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Bar* bar = BarOf(window);
    switch (message) {
        case WM_NCCREATE: {
            auto* created = new Bar;
            created->created = GetTickCount64();
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete bar;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            if (bar) {
                OnPaint(window, *bar);
                return 0;
            }
            break;
        case WM_TIMER:
            if (bar && wParam == kAnimationTimer) {
                OnTimer(window, *bar);
                return 0;
            }
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void TakeSnapshot(BarAnimation& a, const DownloadSnapshot& d) {
    if (a.shownPercent < 0) a.shownPercent = PercentDone(d);
    if (a.shownPositions.size() > d.segments.size()) a.shownPositions.resize(d.segments.size());
    for (size_t i = a.shownPositions.size(); i < d.segments.size(); ++i)
        a.shownPositions.push_back(static_cast<double>(d.segments[i].next));
}

bool AnimationStep(BarAnimation& a, const DownloadSnapshot& d) {
    bool moving = false;
    const double t = PercentDone(d);
    if (a.shownPercent < 0 || t < a.shownPercent - 0.5) {
        a.shownPercent = t;
    } else {
        a.shownPercent += (t - a.shownPercent) * kEase;
        if (std::fabs(t - a.shownPercent) < 0.02)
            a.shownPercent = t;
        else
            moving = true;
    }
    const size_t n = std::min(a.shownPositions.size(), d.segments.size());
    for (size_t i = 0; i < n; ++i) {
        const double g = static_cast<double>(d.segments[i].next);
        double& shown = a.shownPositions[i];
        shown = std::min(shown, g);
        shown += (g - shown) * kEase;
        if (std::fabs(g - shown) < 1)
            shown = g;
        else
            moving = true;
    }
    return moving;
}

bool KeepAnimating(bool moving, const DownloadSnapshot& d) { return moving || Live(d); }

std::vector<BarSpan> BarSpans(const BarAnimation& a, const DownloadSnapshot& d, BarMode mode, int width,
                              double phase) {
    std::vector<BarSpan> spans;
    const bool complete = IsState(d, DownloadState::Complete);
    const COLORREF bar = complete ? kBarGreen : kBarOrange;
    const bool live = Live(d);
    const double w = std::max(0, width);
    if (mode == BarMode::WholeFile || d.size <= 0) {
        const double percent = std::clamp(a.shownPercent, 0.0, 100.0);
        const int x1 = static_cast<int>(percent / 100.0 * w);
        if (x1 > 0) spans.push_back({0, x1, bar, live, phase, false, false});
        return spans;
    }
    const size_t n = std::min(a.shownPositions.size(), d.segments.size());
    for (size_t i = 0; i < n; ++i) {
        const Segment& s = d.segments[i];
        BarSpan span;
        span.x0 = PixelAt(s.start, w, d.size);
        span.x1 = static_cast<int>(a.shownPositions[i] * w / static_cast<double>(d.size));
        const bool busy = Busy(d, i);
        span.colour = busy ? bar : (complete ? kBarGreen : kBarDarkOrange);
        span.shimmer = span.edgeMark = busy && live;
        span.phase = Fraction(static_cast<double>(i) * 0.17 + phase);
        span.separator = span.x0 > 0;
        spans.push_back(span);
    }
    return spans;
}

double ShimmerPhase(uint64_t nowMs, uint64_t createdMs) {
    return static_cast<double>((nowMs - createdMs) % 1800) / 1800.0;
}

std::optional<ShimmerBand> ShimmerBandFor(double left, double width, double phase) {
    if (width < 6) return std::nullopt;
    const double d = std::clamp(width * 0.35, 40.0, 140.0);
    return ShimmerBand{left + (2 * d + width) * phase - d - d / 2, d};
}

bool RegisterProgressBarClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kProgressBarClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void UpdateProgressBar(HWND window, const DownloadSnapshot& d, BarMode mode) {
    Bar* bar = BarOf(window);
    if (!bar) return;
    bar->snapshot = d;
    bar->mode = mode;
    TakeSnapshot(bar->animation, d);
    if (!bar->timerRunning)
        bar->timerRunning = SetTimer(window, kAnimationTimer, kAnimationMilliseconds, nullptr);
    InvalidateRect(window, nullptr, FALSE);
}

}  // namespace vonu
