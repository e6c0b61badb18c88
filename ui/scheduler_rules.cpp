#include "ui/scheduler_rules.h"

#include <algorithm>
#include <mutex>

#include "model/decimal.h"
#include "ui/dialog_controls.h"

namespace vonu {
namespace {

const DownloadQueue* FindById(const std::vector<DownloadQueue>& queues, int32_t id) {
    for (const DownloadQueue& q : queues)
        if (q.id == id) return &q;
    return nullptr;
}

template <typename T>
bool CopyIfEdited(const T& before, const T& after, T& model) {
    if (before == after || model == after) return false;
    model = after;
    return true;
}

}  // namespace

int32_t MaxActiveFromText(std::wstring_view text, int32_t old) {
    const std::optional<int64_t> n = DigitsOnly(TrimBlanks(text));
    if (!n) return old;
    return static_cast<int32_t>(std::clamp<int64_t>(*n, kFewestActive, kMostActive));
}

uint32_t DaysFromChoice(bool daily, uint32_t tickedDays) {
    if (!daily) return 0;
    tickedDays &= kEveryDay;
    return tickedDays == 0 ? kEveryDay : tickedDays;
}

int EndActionIndex(int32_t after) { return static_cast<int>(std::clamp<int32_t>(after, 0, 2)); }

bool WriteBackQueueEdits(DownloadManager& m, const std::vector<DownloadQueue>& base,
                         const std::vector<DownloadQueue>& edited) {
    std::lock_guard guard(m.lock);
    bool changed = false;
    for (const DownloadQueue& e : edited) {
        const DownloadQueue* b = FindById(base, e.id);
        DownloadQueue* q = m.FindQueueLocked(e.id);
        if (!b || !q) continue;
        const int32_t maxActive = std::clamp(e.maxActive, kFewestActive, kMostActive);
        const int32_t baseMaxActive = std::clamp(b->maxActive, kFewestActive, kMostActive);
        bool schedule = false;
        changed |= CopyIfEdited(b->name, e.name, q->name);
        changed |= CopyIfEdited(baseMaxActive, maxActive, q->maxActive);
        schedule |= CopyIfEdited(b->startOn, e.startOn, q->startOn);
        schedule |= CopyIfEdited(b->startMinute, e.startMinute, q->startMinute);
        schedule |= CopyIfEdited(b->days, e.days, q->days);
        schedule |= CopyIfEdited(b->stopOn, e.stopOn, q->stopOn);
        schedule |= CopyIfEdited(b->stopMinute, e.stopMinute, q->stopMinute);
        changed |= CopyIfEdited(b->after, e.after, q->after);
        if (schedule) q->lastStartStamp = q->lastStopStamp = -1;
        changed |= schedule;
    }
    if (changed) m.listDirty = true;
    return changed;
}

}  // namespace vonu
