#include "ui/command_rules.h"

#include <gtest/gtest.h>

#include "ui/view_nodes.h"

namespace vonu {
namespace {

DownloadSnapshot Download(int32_t id, DownloadState state, int32_t queue = 0) {
    DownloadSnapshot d;
    d.id = id;
    d.state = state;
    d.queueId = queue;
    return d;
}

class CommandRules : public testing::Test {
protected:
    CommandRules() {
        all = {Download(1, DownloadState::Complete), Download(2, DownloadState::Downloading, 1),
               Download(3, DownloadState::Queued, 1), Download(4, DownloadState::Stopped),
               Download(5, DownloadState::Error, 2)};
        DownloadQueue q1, q2;
        q1.id = 1;
        q2.id = 2;
        queues = {q1, q2};
    }
    CommandContext With(std::initializer_list<int> indexes, int node = kNodeAll) {
        CommandContext c;
        for (int i : indexes) c.selected.push_back(&all[i]);
        c.all = &all;
        c.queues = queues;
        c.node = node;
        return c;
    }
    std::vector<DownloadSnapshot> all;
    std::vector<DownloadQueue> queues;
};

TEST_F(CommandRules, SelectionRules) {
    EXPECT_TRUE(CanOpen(With({0})));
    EXPECT_FALSE(CanOpen(With({3})));
    EXPECT_FALSE(CanOpen(With({0, 3}))) << "exactly one";
    EXPECT_TRUE(CanOpenFolder(With({3})));
    EXPECT_FALSE(CanOpenFolder(With({})));

    EXPECT_FALSE(CanResume(With({0, 1})));
    for (int i : {2, 3, 4}) EXPECT_TRUE(CanResume(With({0, i}))) << i;
    EXPECT_TRUE(CanStop(With({1})));
    EXPECT_TRUE(CanStop(With({2})));
    EXPECT_FALSE(CanStop(With({0, 3, 4})));

    EXPECT_FALSE(CanShowProgress(With({0})));
    EXPECT_TRUE(CanShowProgress(With({4})));
    EXPECT_TRUE(CanDelete(With({0})));
    EXPECT_FALSE(CanDelete(With({})));

    EXPECT_FALSE(CanAddToQueue(With({0, 1})));
    EXPECT_TRUE(CanAddToQueue(With({0, 4})));
    EXPECT_TRUE(CanRemoveFromQueue(With({2})));
    EXPECT_FALSE(CanRemoveFromQueue(With({1}))) << "a running download stays in its queue";
    EXPECT_FALSE(CanRemoveFromQueue(With({3})));
}

TEST_F(CommandRules, ListWideRules) {
    EXPECT_TRUE(CanStopAll(With({})));
    EXPECT_TRUE(CanDeleteCompleted(With({})));
    all[0].state = DownloadState::Stopped;
    all[1].state = DownloadState::Stopped;
    EXPECT_FALSE(CanStopAll(With({})));
    EXPECT_FALSE(CanDeleteCompleted(With({})));
}

TEST_F(CommandRules, QueueRulesFollowTheCommandQueue) {
    // The default queue has a queued download and is not running.
    EXPECT_TRUE(CanStartQueue(With({}, kNodeAll)));
    EXPECT_TRUE(CanStartQueue(With({}, kNodeQueues)));
    EXPECT_FALSE(CanStartQueue(With({}, kNodeQueueBase + 2))) << "queue 2 holds nothing Queued";
    EXPECT_FALSE(CanStopQueue(With({}, kNodeAll)));
    queues[0].running = true;
    EXPECT_FALSE(CanStartQueue(With({}, kNodeAll)));
    EXPECT_TRUE(CanStopQueue(With({}, kNodeCategoryBase)));
    EXPECT_FALSE(CanStopQueue(With({}, kNodeQueueBase + 2)));

    EXPECT_TRUE(CanDeleteQueue(With({}, kNodeQueueBase + 2)));
    for (int node : {kNodeDefaultQueue, kNodeQueues, kNodeAll, kNodeCategoryBase + 1})
        EXPECT_FALSE(CanDeleteQueue(With({}, node))) << node;
}

}  // namespace
}  // namespace vonu
