// The retry rule every transfer shares: how many attempts a policy allows, that progress
// starts the count again, and that a run that ends stops the pauses.
#include "engine/retry_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace vonu {
namespace {

struct RetryCase {
    const char* name;
    int failuresBeforeSuccess;  // -1: every attempt fails
    int progressingAttempts;    // the first N attempts each move the work on before failing
    bool expectedResult;
    int expectedAttempts;
};

TEST(RetryPolicy, AttemptsFollowThePausesAndProgressStartsTheCountAgain) {
    const RetryPolicy policy{{1, 1, 1, 1}};
    const RetryCase cases[] = {
        {"first attempt succeeds", 0, 0, true, 1},
        {"succeeds on the last retry", 4, 0, true, 5},
        {"never succeeds, no progress: one attempt and four retries", -1, 0, false, 5},
        {"six attempts that each got further, then four without", -1, 6, false, 10},
        {"progress, then success", 7, 7, true, 8},
    };
    for (const RetryCase& c : cases) {
        SCOPED_TRACE(c.name);
        int attempts = 0;
        int64_t position = 0;
        std::wstring error;
        const bool ok = RunWithRetries(
            policy, error,
            [&](std::wstring& e) {
                ++attempts;
                if (attempts <= c.progressingAttempts) ++position;
                if (c.failuresBeforeSuccess >= 0 && attempts > c.failuresBeforeSuccess) return true;
                e = L"attempt " + std::to_wstring(attempts) + L" failed";
                return false;
            },
            [] { return false; }, [&] { return position; });
        EXPECT_EQ(ok, c.expectedResult);
        EXPECT_EQ(attempts, c.expectedAttempts);
        // A failure reports the last attempt's sentence; a success reports none.
        EXPECT_EQ(error, ok ? L"" : L"attempt " + std::to_wstring(attempts) + L" failed");
    }
}

TEST(RetryPolicy, ARunThatEndsStopsBeforeTheNextAttempt) {
    // Ten-minute pauses: only the ending check can bring this back within the test's limit.
    const RetryPolicy policy{{600000, 600000}};
    bool ending = false;
    int attempts = 0;
    std::wstring error;
    const bool ok = RunWithRetries(
        policy, error,
        [&](std::wstring& e) {
            ++attempts;
            ending = true;  // the user stops the download while this attempt fails
            e = L"cut";
            return false;
        },
        [&] { return ending; }, [] { return int64_t{0}; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(error, L"cut");
}

TEST(RetryPolicy, AScopedReplacementLastsOnlyAsLongAsItsScope) {
    const RetryPolicies before = CurrentRetryPolicies();
    EXPECT_EQ(before.segments.pausesMs, (std::vector<uint32_t>{2000, 4000, 8000, 15000}));
    EXPECT_EQ(before.parts.pausesMs, (std::vector<uint32_t>{1000, 2000, 3000}));
    {
        ScopedRetryPolicies quick(RetryPolicies{RetryPolicy{{5}}, RetryPolicy{{6, 7}}});
        EXPECT_EQ(CurrentRetryPolicies().segments.pausesMs, std::vector<uint32_t>{5});
        EXPECT_EQ(CurrentRetryPolicies().parts.pausesMs, (std::vector<uint32_t>{6, 7}));
    }
    EXPECT_EQ(CurrentRetryPolicies().segments.pausesMs, before.segments.pausesMs);
    EXPECT_EQ(CurrentRetryPolicies().parts.pausesMs, before.parts.pausesMs);
}

}  // namespace
}  // namespace vonu
