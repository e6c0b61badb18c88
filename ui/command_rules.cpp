#include "ui/command_rules.h"

#include <algorithm>

#include "ui/view_nodes.h"

namespace vonu {
namespace {

template <typename F>
bool AnySelected(const CommandContext& c, F test) {
    return std::any_of(c.selected.begin(), c.selected.end(), test);
}

template <typename F>
bool AnyDownload(const CommandContext& c, F test) {
    return c.all && std::any_of(c.all->begin(), c.all->end(), test);
}

}  // namespace

bool QueueRunning(const std::vector<DownloadQueue>& queues, int32_t id) {
    return std::any_of(queues.begin(), queues.end(),
                       [&](const DownloadQueue& q) { return q.id == id && q.running; });
}

bool CanOpen(const CommandContext& c) {
    return c.selected.size() == 1 && c.selected[0]->state == DownloadState::Complete;
}

bool CanOpenFolder(const CommandContext& c) { return c.selected.size() == 1; }

bool CanResume(const CommandContext& c) {
    return AnySelected(c, [](const DownloadSnapshot* d) {
        const DownloadState s = d->state;
        return s == DownloadState::Queued || s == DownloadState::Stopped || s == DownloadState::Error;
    });
}

bool CanStop(const CommandContext& c) {
    return AnySelected(c, [](const DownloadSnapshot* d) {
        const DownloadState s = d->state;
        return s == DownloadState::Downloading || s == DownloadState::Queued;
    });
}

bool CanShowProgress(const CommandContext& c) {
    return c.selected.size() == 1 && c.selected[0]->state != DownloadState::Complete;
}

bool CanShowProperties(const CommandContext& c) { return c.selected.size() == 1; }

bool CanDelete(const CommandContext& c) { return !c.selected.empty(); }

bool CanStopAll(const CommandContext& c) {
    return AnyDownload(c, [](const DownloadSnapshot& d) {
        return d.state == DownloadState::Downloading;
    });
}

bool CanDeleteCompleted(const CommandContext& c) {
    return AnyDownload(c, [](const DownloadSnapshot& d) {
        return d.state == DownloadState::Complete;
    });
}

bool CanStartQueue(const CommandContext& c) {
    const int32_t queue = CommandQueueId(c.node);
    if (QueueRunning(c.queues, queue)) return false;
    return AnyDownload(c, [&](const DownloadSnapshot& d) {
        return d.queueId == queue && d.state == DownloadState::Queued;
    });
}

bool CanStopQueue(const CommandContext& c) { return QueueRunning(c.queues, CommandQueueId(c.node)); }

bool CanDeleteQueue(const CommandContext& c) { return IsQueueNode(c.node) && c.node != kNodeDefaultQueue; }

bool CanAddToQueue(const CommandContext& c) {
    return AnySelected(c, [](const DownloadSnapshot* d) {
        const DownloadState s = d->state;
        return s != DownloadState::Complete && s != DownloadState::Downloading;
    });
}

bool CanRemoveFromQueue(const CommandContext& c) {
    return AnySelected(c, [](const DownloadSnapshot* d) {
        return d->queueId != 0 && d->state != DownloadState::Downloading;
    });
}

}  // namespace vonu
