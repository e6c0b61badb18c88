// The end of every download run: whatever path the worker leaves by, the item ends in the
// state the run's contract says, and the worker-running flag clears last.
#include "model/worker_run.h"

#include <gtest/gtest.h>

#include <mutex>

namespace vonu {
namespace {

struct EndCase {
    const char* name;
    bool cancel;
    bool restartPending;
    DownloadState stateAtEnd;  // what the worker left (Complete: FinishDownload ran)
    const wchar_t* failure;    // the worker's own outcome, or null
    DownloadState expectedState;
    const wchar_t* expectedError;
    int32_t expectedQueueId;
};

TEST(WorkerRun, EveryWayOutEndsInTheContractsState) {
    const EndCase cases[] = {
        {"returned without an outcome", false, false, DownloadState::Downloading, nullptr, DownloadState::Error,
         L"Download did not finish", 0},
        {"failed with its sentence", false, false, DownloadState::Downloading, L"Cannot write to disk",
         DownloadState::Error, L"Cannot write to disk", 0},
        {"finished", false, false, DownloadState::Complete, nullptr, DownloadState::Complete, L"", 0},
        {"stopped by the user", true, false, DownloadState::Downloading, nullptr, DownloadState::Stopped, L"", 7},
        {"stopped for a restart", true, true, DownloadState::Downloading, nullptr, DownloadState::Downloading, L"",
         7},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadManager m;
        auto item = std::make_shared<DownloadItem>();
        item->state = DownloadState::Downloading;
        item->segments = {Segment{0, 9, 3}, Segment{10, 19, 10}};
        item->segmentBusy = {1, 1};
        item->speed = 1000;
        item->runQueueId = 7;
        item->workerRunning.exchange(true);
        item->cancel.exchange(c.cancel);
        item->restartPending = c.restartPending;
        {
            WorkerRun run(m, item);
            std::lock_guard guard(m.lock);
            item->state = c.stateAtEnd;
            if (c.failure) run.FailLocked(c.failure);
        }
        EXPECT_EQ(item->state, c.expectedState);
        EXPECT_EQ(item->lastError, c.expectedError);
        EXPECT_EQ(item->runQueueId, c.expectedQueueId);
        EXPECT_EQ(item->speed, 0);
        EXPECT_EQ(item->segmentBusy, (std::vector<uint8_t>{0, 0}));
        EXPECT_TRUE(m.listDirty);
        EXPECT_FALSE(item->workerRunning.load());
    }
}

TEST(WorkerRun, AFailureWithoutItsOwnSentenceTakesTheLastOneReported) {
    DownloadManager m;
    auto item = std::make_shared<DownloadItem>();
    item->state = DownloadState::Downloading;
    {
        WorkerRun run(m, item);
        std::lock_guard guard(m.lock);
        run.FailWithLastErrorLocked(L"Download did not finish");
        EXPECT_EQ(item->lastError, L"Download did not finish");
        run.errors = {L"The server closed the connection early", L"HTTP 503"};
        run.FailWithLastErrorLocked(L"Download did not finish");
    }
    EXPECT_EQ(item->state, DownloadState::Error);
    EXPECT_EQ(item->lastError, L"HTTP 503");
}

}  // namespace
}  // namespace vonu
