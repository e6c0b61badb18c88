#include "ui/view_nodes.h"

#include <gtest/gtest.h>

#include "model/download_types.h"

namespace vonu {
namespace {

DownloadSnapshot Download(DownloadState state, const wchar_t* category, int32_t queue) {
    DownloadSnapshot d;
    d.state = state;
    d.category = category;
    d.queueId = queue;
    return d;
}

TEST(ViewNodes, EachNodeShowsItsDownloads) {
    const std::vector<std::wstring> names = {L"General", L"Video"};
    const auto queuedVideo = Download(DownloadState::Queued, L"Video", 2);
    const auto completeVideoInQueue = Download(DownloadState::Complete, L"Video", 2);
    const auto stoppedGeneral = Download(DownloadState::Stopped, L"General", 0);
    const auto videoCaseDiffers = Download(DownloadState::Stopped, L"video", 1);
    struct Case {
        int node;
        const DownloadSnapshot* d;
        bool shown;
    } const cases[] = {
        {kNodeNone, &completeVideoInQueue, true},
        {kNodeAll, &completeVideoInQueue, true},
        {kNodeIncomplete, &queuedVideo, true},
        {kNodeIncomplete, &completeVideoInQueue, false},
        {kNodeCompleted, &completeVideoInQueue, true},
        {kNodeCompleted, &stoppedGeneral, false},
        {kNodeQueues, &queuedVideo, true},
        {kNodeQueues, &stoppedGeneral, false},
        {kNodeQueues, &completeVideoInQueue, false},
        {kNodeQueueBase + 2, &queuedVideo, true},
        {kNodeQueueBase + 1, &queuedVideo, false},
        {kNodeQueueBase + 2, &completeVideoInQueue, false},
        {kNodeCategoryBase + 1, &queuedVideo, true},
        {kNodeCategoryBase + 1, &completeVideoInQueue, true},
        {kNodeCategoryBase + 1, &videoCaseDiffers, false},
        {kNodeCategoryBase + 0, &stoppedGeneral, true},
        {kNodeCategoryBase + 2, &stoppedGeneral, false},  // a category that no longer exists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "node " << c.node << " category " << c.d->category.size());
        EXPECT_EQ(ShownUnderNode(c.node, *c.d, names), c.shown);
    }
}

TEST(ViewNodes, QueueCommandsActOnTheSelectedQueueElseTheDefaultOne) {
    EXPECT_EQ(CommandQueueId(kNodeQueueBase + 7), 7);
    EXPECT_EQ(CommandQueueId(kNodeDefaultQueue), 1);
    for (int node :
         {kNodeNone, kNodeAll, kNodeIncomplete, kNodeCompleted, kNodeQueues, kNodeCategoryBase + 3})
        EXPECT_EQ(CommandQueueId(node), 1) << node;
}

}  // namespace
}  // namespace vonu
