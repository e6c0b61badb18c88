#include "ui/view_nodes.h"

#include "model/download_types.h"

namespace vonu {

bool ShownUnderNode(int node, const DownloadSnapshot& download,
                    const std::vector<std::wstring>& categoryNames) {
    const bool complete = download.state == DownloadState::Complete;
    switch (node) {
        case kNodeNone:
        case kNodeAll:
            return true;
        case kNodeIncomplete:
            return !complete;
        case kNodeCompleted:
            return complete;
        case kNodeQueues:
            return download.queueId != 0 && !complete;
        default:
            break;
    }
    if (IsCategoryNode(node)) {
        const size_t index = static_cast<size_t>(node - kNodeCategoryBase);
        return index < categoryNames.size() && download.category == categoryNames[index];
    }
    if (IsQueueNode(node)) return download.queueId == node - kNodeQueueBase && !complete;
    return false;
}

int32_t CommandQueueId(int node) { return IsQueueNode(node) ? node - kNodeQueueBase : 1; }

}  // namespace vonu
