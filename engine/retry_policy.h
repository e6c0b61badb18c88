// How a failed piece of a download is tried again, shared by HTTP and FTP segments and by
// video parts: the pauses before each retry, waited in 100 ms steps that watch for the run
// ending. A retry whose failed attempt still got further than any attempt before it (a link
// that cuts every connection after a while) starts the count again, so only failed attempts
// in a row without progress use the pauses up.
//
// Threads: a run copies the current policies when it starts (CurrentRetryPolicies) and uses
// its copy on any of its threads; replacing the policies affects only runs started later.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vonu {

struct RetryPolicy {
    std::vector<uint32_t> pausesMs;  // before retry 1, 2, ...; as many retries as pauses
};

struct RetryPolicies {
    RetryPolicy segments{{2000, 4000, 8000, 15000}};  // a segment of an ordinary download
    RetryPolicy parts{{1000, 2000, 3000}};            // one part of a video
};

// The policies of runs that start now.
RetryPolicies CurrentRetryPolicies();

// Replaces the policies for its lifetime and puts the previous ones back at the end, so a
// test that shortens the pauses cannot leave them short for the next one. One at a time.
class ScopedRetryPolicies {
public:
    explicit ScopedRetryPolicies(RetryPolicies policies);
    ~ScopedRetryPolicies();
    ScopedRetryPolicies(const ScopedRetryPolicies&) = delete;
    ScopedRetryPolicies& operator=(const ScopedRetryPolicies&) = delete;

private:
    RetryPolicies saved_;
};

// Sleeps up to `ms` in 100 ms steps; false as soon as ending() holds.
template <class Ending>
bool PauseUnless(uint32_t ms, Ending ending) {
    constexpr uint32_t kStepMs = 100;
    for (uint32_t waited = 0; waited < ms; waited += kStepMs) {
        if (ending()) return false;
        Sleep(std::min(kStepMs, ms - waited));
    }
    return !ending();
}

// Runs attempt(error) until it returns true. After a failure it pauses and tries again while
// pauses are left and ending() is false; progress() is how far the work has got (a number
// that only grows while the attempts fail), and a failure after progress starts the count
// again. `error` holds the last failed attempt's sentence; false when the work gave up.
template <class Attempt, class Ending, class Progress>
bool RunWithRetries(const RetryPolicy& policy, std::wstring& error, Attempt attempt, Ending ending,
                    Progress progress) {
    int64_t reached = progress();
    error.clear();
    if (attempt(error)) return true;
    for (size_t retry = 0; retry < policy.pausesMs.size(); ++retry) {
        if (const int64_t now = progress(); now > reached) {
            reached = now;
            retry = 0;
        }
        if (!PauseUnless(policy.pausesMs[retry], ending)) return false;
        error.clear();
        if (attempt(error)) return true;
    }
    return false;
}

}  // namespace vonu
