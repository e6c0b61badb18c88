#include "engine/speed_limiter.h"

#include <windows.h>

#include <algorithm>

namespace vonu {
namespace {

constexpr double kMinBucket = 65536;  // one read chunk can always pass once the bucket is full
constexpr double kBucketSeconds = 0.25;

}  // namespace

SpeedLimiter::SpeedLimiter() : lastTick_(GetTickCount64()) {}

void SpeedLimiter::SetRate(double bytesPerSecond) {
    std::lock_guard guard(lock_);
    rate_ = bytesPerSecond > 0 ? bytesPerSecond : 0;
    limited_.store(rate_ > 0, std::memory_order_release);
}

double SpeedLimiter::Rate() {
    std::lock_guard guard(lock_);
    return rate_;
}

// On Windows GetTickCount64 and Sleep move in steps of about 16 ms (Wine's in 1 ms). The
// refill counts the time that really passed, so the average rate holds either way; only
// the evenness within one step differs.
void SpeedLimiter::Take(int64_t count, const std::atomic<bool>& cancel) {
    if (count <= 0) return;
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) return;
        if (!limited_.load(std::memory_order_acquire)) return;
        double wait = 0;
        {
            std::lock_guard guard(lock_);
            if (rate_ <= 0) return;
            const uint64_t now = GetTickCount64();
            const double capacity = std::max(kMinBucket, rate_ * kBucketSeconds);
            tokens_ = std::min(tokens_ + static_cast<double>(now - lastTick_) * rate_ / 1000.0, capacity);
            lastTick_ = now;
            const double need = std::min(static_cast<double>(count), capacity);
            if (need <= tokens_) {
                tokens_ -= static_cast<double>(count);
                return;
            }
            wait = (need - tokens_) / rate_ * 1000.0;
        }
        Sleep(static_cast<DWORD>(std::clamp(wait, 1.0, 200.0)));
    }
}

SpeedLimiter& Limiter() {
    static SpeedLimiter limiter;
    return limiter;
}

void SetLimiterRate(const DownloadManager& m) {
    Limiter().SetRate(m.LimiterOn && m.SpeedLimitKB > 0 ? static_cast<double>(m.SpeedLimitKB) * 1024.0 : 0.0);
}

void SetLimiterRate() { SetLimiterRate(Manager()); }

void TakeBytes(int64_t count, const std::atomic<bool>& cancel) { Limiter().Take(count, cancel); }

}  // namespace vonu
