#include "engine/retry_policy.h"

#include <mutex>
#include <utility>

namespace vonu {
namespace {

std::mutex g_lock;

RetryPolicies& Current() {
    static RetryPolicies policies;
    return policies;
}

}  // namespace

RetryPolicies CurrentRetryPolicies() {
    std::lock_guard guard(g_lock);
    return Current();
}

ScopedRetryPolicies::ScopedRetryPolicies(RetryPolicies policies) {
    std::lock_guard guard(g_lock);
    saved_ = std::exchange(Current(), std::move(policies));
}

ScopedRetryPolicies::~ScopedRetryPolicies() {
    std::lock_guard guard(g_lock);
    Current() = std::move(saved_);
}

}  // namespace vonu
