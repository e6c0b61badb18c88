// The nodes of the main window's tree and which downloads each one shows. A node id names
// what the node stands for, so it survives rebuilding the tree:
//   1 "All Downloads", 100 + index one category (by its index in the model's category list),
//   2 "Incomplete", 3 "Completed", 4 "Queues", 1000 + queue id one queue; 0 nothing selected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

inline constexpr int kNodeNone = 0;
inline constexpr int kNodeAll = 1;
inline constexpr int kNodeIncomplete = 2;
inline constexpr int kNodeCompleted = 3;
inline constexpr int kNodeQueues = 4;
inline constexpr int kNodeCategoryBase = 100;
inline constexpr int kNodeQueueBase = 1000;
inline constexpr int kNodeDefaultQueue = kNodeQueueBase + 1;

inline bool IsCategoryNode(int node) { return node >= kNodeCategoryBase && node < kNodeQueueBase; }
inline bool IsQueueNode(int node) { return node > kNodeQueueBase; }

// Whether the download is listed while `node` is selected. `categoryNames` are the names
// the tree shows, in the model's order; a category node past their end shows nothing.
bool ShownUnderNode(int node, const DownloadSnapshot& download,
                    const std::vector<std::wstring>& categoryNames);

// The queue the queue commands act on: the selected queue node's queue, else the default
// queue (1).
int32_t CommandQueueId(int node);

}  // namespace vonu
