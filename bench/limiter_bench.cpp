// The speed limiter's accuracy: 8 takers for 10 s at each of three rates, and the cost of
// a chunk when no limit is set. Run by `make bench` (scripts/bench.sh) under Wine.
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "engine/speed_limiter.h"

using namespace vonu;

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / f.QuadPart;
}

// Returns the measured rate's error in percent.
double Accuracy(double rate, int64_t chunk, int takers, double seconds) {
    SpeedLimiter limiter;
    limiter.SetRate(rate);
    std::atomic<bool> cancel{false};
    std::atomic<bool> stop{false};
    std::atomic<int64_t> passed{0};
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    std::vector<std::thread> threads;
    for (int t = 0; t < takers; ++t)
        threads.emplace_back([&] {
            while (!stop) {
                limiter.Take(chunk, cancel);
                if (stop) break;  // a chunk that passed after the measured time is not counted
                passed += chunk;
            }
        });
    Sleep(static_cast<DWORD>(seconds * 1000));
    stop = true;
    QueryPerformanceCounter(&b);
    const int64_t got = passed;
    cancel = true;
    for (auto& t : threads) t.join();
    const double measured = got / Seconds(a, b);
    const double error = (measured - rate) / rate * 100;
    wprintf(L"  rate %9.0f B/s, %2d takers, %5lld-byte chunks, %.1f s: measured %9.0f B/s (%+.2f%%)\n", rate,
            takers, static_cast<long long>(chunk), Seconds(a, b), measured, error);
    return error;
}

double OffCostNs(int takers, int calls) {
    SpeedLimiter limiter;  // no rate: no limit
    std::atomic<bool> cancel{false};
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    std::vector<std::thread> threads;
    for (int t = 0; t < takers; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < calls; ++i) limiter.Take(65536, cancel);
        });
    for (auto& t : threads) t.join();
    QueryPerformanceCounter(&b);
    return Seconds(a, b) * 1e9 / calls;  // wall time per call of one thread
}

}  // namespace

int wmain() {
    wprintf(L"Speed limiter, 8 concurrent takers, 10 s each (goal: within 5%%):\n");
    double worst = 0;
    worst = std::max(worst, std::fabs(Accuracy(100 * 1024.0, 16384, 8, 10)));
    worst = std::max(worst, std::fabs(Accuracy(1024 * 1024.0, 65536, 8, 10)));
    worst = std::max(worst, std::fabs(Accuracy(20 * 1024 * 1024.0, 65536, 8, 10)));
    wprintf(L"  worst error %.2f%%\n", worst);
    wprintf(L"Limiter off: %.1f ns per 64 KiB chunk on 1 thread, %.1f ns per chunk per thread on 8\n",
            OffCostNs(1, 20'000'000), OffCostNs(8, 5'000'000));
    wprintf(L"  (reading a 64 KiB chunk at 1 GB/s takes about 65,000 ns)\n");
    return worst <= 5 ? 0 : 1;
}
