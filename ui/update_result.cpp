#include "ui/update_result.h"

#include <mutex>
#include <set>

namespace vonu {
namespace {

// Records posted and not taken yet. Guarded by its own lock: the posting thread is the
// check's, the taking thread the window's. Never destroyed, so a check thread that posts
// while the process ends finds it still there.
struct PostedResults {
    std::mutex lock;
    std::set<const UpdateResult*> posted;
};

PostedResults& Posted() {
    static PostedResults* posted = new PostedResults;
    return *posted;
}

}  // namespace

void PostUpdateResult(HWND window, bool asked, std::unique_ptr<UpdateResult> result) {
    PostedResults& p = Posted();
    const UpdateResult* record = result.get();
    {
        std::lock_guard guard(p.lock);
        p.posted.insert(record);
    }
    if (PostMessageW(window, kUpdateCheckMessage, asked ? 1 : 0, reinterpret_cast<LPARAM>(record))) {
        result.release();  // the window owns it now
        return;
    }
    std::lock_guard guard(p.lock);
    p.posted.erase(record);
}

std::unique_ptr<UpdateResult> TakePostedUpdateResult(LPARAM lParam) {
    auto* record = reinterpret_cast<UpdateResult*>(lParam);
    PostedResults& p = Posted();
    std::lock_guard guard(p.lock);
    if (!record || p.posted.erase(record) == 0) return nullptr;
    return std::unique_ptr<UpdateResult>(record);
}

}  // namespace vonu
