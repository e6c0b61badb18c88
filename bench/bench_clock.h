// Small measuring helpers the window benchmarks share: a millisecond clock, running the
// messages a window posted to itself, and percentiles of the timings.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vonu::bench {

// Milliseconds from the performance counter.
inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / frequency.QuadPart;
}

// Dispatches every message waiting for this thread (paints, timers of the windows measured).
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The value below which the fraction `p` (0 to 1) of the timings lie; 1 gives the largest.
inline double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

}  // namespace vonu::bench
