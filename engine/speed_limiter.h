// The one process-wide token bucket that limits the speed of all downloads together.
// Every chunk of downloaded data passes TakeBytes before it is written.
//
// The limiter has a lock of its own, held only for the refill arithmetic, never while
// sleeping; it never takes the manager lock, and TakeBytes must not be called while
// holding it (or any other lock). When no limit is set a chunk costs one atomic read.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "model/download_manager.h"

namespace vonu {

class SpeedLimiter {
public:
    SpeedLimiter();

    // Bytes per second; 0 or less is no limit. Takes effect at every taker's next chunk.
    void SetRate(double bytesPerSecond);
    double Rate();

    // Returns once count bytes may pass, at once when there is no limit, and within 200 ms
    // of the cancel flag being set. A count above what the bucket holds passes once the
    // bucket is full, and the excess is owed by the next takers, so any chunk size keeps
    // the rate and none waits forever.
    void Take(int64_t count, const std::atomic<bool>& cancel);

private:
    std::mutex lock_;
    std::atomic<bool> limited_{false};  // rate > 0; read without the lock on every chunk
    double rate_ = 0;                   // bytes per second
    double tokens_ = 0;                 // bytes that may pass now (negative: owed)
    uint64_t lastTick_ = 0;             // GetTickCount64 of the last refill
};

// The process-wide limiter.
SpeedLimiter& Limiter();

// Rate = SpeedLimitKB x 1024 when LimiterOn and SpeedLimitKB > 0, else no limit.
void SetLimiterRate(const DownloadManager& m);
void SetLimiterRate();  // from Manager()

// Limiter().Take: called by every connection after each chunk it read.
void TakeBytes(int64_t count, const std::atomic<bool>& cancel);

}  // namespace vonu
