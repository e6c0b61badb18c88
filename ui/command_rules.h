// When each main window command is available. The rules read the window's snapshot of the
// list (never the live model), the selected rows' downloads and the queues, so menus and
// toolbar agree with what the list shows.
#pragma once

#include <cstdint>
#include <vector>

#include "model/download_snapshot.h"
#include "model/download_types.h"

namespace vonu {

struct CommandContext {
    std::vector<const DownloadSnapshot*> selected;  // selected rows found in the snapshot
    const std::vector<DownloadSnapshot>* all = nullptr;
    std::vector<DownloadQueue> queues;
    int node = 0;  // current tree node
};

bool CanOpen(const CommandContext& c);  // also Open with
bool CanOpenFolder(const CommandContext& c);
bool CanResume(const CommandContext& c);
bool CanStop(const CommandContext& c);
bool CanShowProgress(const CommandContext& c);
bool CanShowProperties(const CommandContext& c);
bool CanDelete(const CommandContext& c);
bool CanStopAll(const CommandContext& c);
bool CanDeleteCompleted(const CommandContext& c);
bool CanStartQueue(const CommandContext& c);
bool CanStopQueue(const CommandContext& c);
bool CanDeleteQueue(const CommandContext& c);
bool CanAddToQueue(const CommandContext& c);
bool CanRemoveFromQueue(const CommandContext& c);

bool QueueRunning(const std::vector<DownloadQueue>& queues, int32_t id);

}  // namespace vonu
