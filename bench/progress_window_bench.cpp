// The progress window of a download running on 32 connections: the cost of its 100 ms
// refresh (snapshot, texts, both bars, 32 table rows) while every connection moves between
// refreshes, and of one 16 ms animation frame of both bars (step and off-screen paint with
// the shimmer). Goals: a refresh under 10 ms and a frame under 4 ms (median), so ten
// refreshes and sixty frames a second stay a small part of the user-interface thread's time.
// Needs a display (scripts/bench.sh starts Xvfb).
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/resource.h"
#include "bench/bench_clock.h"
#include "model/download_manager.h"
#include "ui/progress_window.h"

using namespace vonu;

namespace {

constexpr int kConnections = 32;
constexpr int kRounds = 300;
constexpr int64_t kSize = 1LL << 30;

int32_t AddRunningDownload(DownloadManager& m) {
    std::lock_guard guard(m.lock);
    auto d = std::make_shared<DownloadItem>();
    d->id = m.nextDownloadId++;
    d->fileName = L"big-file.iso";
    d->path = L"C:\\Downloads\\" + d->fileName;
    d->url = L"https://files.example.org/" + d->fileName;
    d->size = kSize;
    d->probed = d->resumable = true;
    d->state = DownloadState::Downloading;
    for (int s = 0; s < kConnections; ++s) {
        const int64_t start = kSize / kConnections * s;
        d->segments.push_back({start, start + kSize / kConnections - 1, start});
        d->segmentBusy.push_back(1);
    }
    m.downloads.push_back(d);
    return d->id;
}

// Every connection gets a few more kilobytes, as between two refreshes of a fast download.
void Advance(DownloadManager& m, int round) {
    std::lock_guard guard(m.lock);
    DownloadItem& d = *m.downloads.front();
    for (size_t s = 0; s < d.segments.size(); ++s) d.segments[s].next += 4096 + 97 * ((round + s) % 13);
}

}  // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);

    DownloadManager& m = Manager();
    const int32_t id = AddRunningDownload(m);
    HWND window = CreateProgressWindow(GetModuleHandleW(nullptr), id, nullptr);
    if (!window) {
        std::printf("the progress window could not be made\n");
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    bench::PumpMessages();
    HWND bars[] = {GetDlgItem(window, IDC_PROGRESS_BAR), GetDlgItem(window, IDC_PROGRESS_CONNECTIONS_BAR)};

    std::vector<double> refreshes, frames;
    for (int round = 0; round < kRounds; ++round) {
        Advance(m, round);
        double start = bench::NowMs();
        SendMessageW(window, WM_TIMER, 1, 0);  // the 100 ms refresh
        UpdateWindow(window);
        refreshes.push_back(bench::NowMs() - start);
        start = bench::NowMs();
        for (HWND bar : bars) {
            SendMessageW(bar, WM_TIMER, 1, 0);  // the 16 ms animation step
            UpdateWindow(bar);
        }
        frames.push_back(bench::NowMs() - start);
        bench::PumpMessages();
    }
    DestroyWindow(window);
    Gdiplus::GdiplusShutdown(token);

    const double refresh = bench::Percentile(refreshes, 0.5), frame = bench::Percentile(frames, 0.5);
    std::printf("progress window, %d connections, %d rounds\n", kConnections, kRounds);
    std::printf("  refresh: median %.3f ms, 95th percentile %.3f ms (goal: median under 10 ms)\n", refresh,
                bench::Percentile(refreshes, 0.95));
    std::printf("  frame of both bars: median %.3f ms, 95th percentile %.3f ms (goal: median under 4 ms)\n",
                frame, bench::Percentile(frames, 0.95));
    return refresh < 10.0 && frame < 4.0 ? 0 : 1;
}
