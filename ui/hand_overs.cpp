#include "ui/hand_overs.h"

#include <mutex>

#include "model/download_manager.h"
#include "model/text_case.h"
#include "ui/add_from_address.h"
#include "ui/hand_over_record.h"
#include "ui/main_window_search.h"

namespace vonu {
namespace {

// A download of this address that is not Complete: the browser drops its own copy once we
// say yes, so the download keeps the browser's present cookie, referrer and user agent for
// its next run (a stopped or failed one usually needs them to resume). A running one keeps
// what it runs with. True when there is such a download.
bool UpdateUnfinished(const HandOver& h) {
    DownloadManager& m = Manager();
    std::lock_guard guard(m.lock);
    for (const auto& item : m.downloads) {
        if (item->url != h.address || item->state == DownloadState::Complete) continue;
        if (!item->workerRunning && item->state != DownloadState::Downloading) {
            if (!h.cookie.empty()) item->cookie = h.cookie;
            if (!h.referrer.empty()) item->referrer = h.referrer;
            if (!h.userAgent.empty()) item->userAgent = h.userAgent;
            m.listDirty = true;
        }
        return true;
    }
    return false;
}

}  // namespace

LRESULT ReceiveHandOver(MainWindow& w, const COPYDATASTRUCT* record) {
    // Taken now, it would be lost with the window: the host tells the browser to keep it.
    if (w.exiting || w.shutDown) return 0;
    std::optional<HandOver> h = ReadHandOverRecord(record);
    if (!h) return 0;
    if (!StartsWithNoCase(h->address, L"http://") && !StartsWithNoCase(h->address, L"https://")) return 0;
    for (const HandOver& pending : w.pendingHandOvers)
        if (pending.address == h->address) return 1;
    if (UpdateUnfinished(*h)) {
        BringForward(w.window);
        return 1;
    }
    if (w.pendingHandOvers.size() >= kMaxPendingHandOvers) return 0;
    w.pendingHandOvers.push_back(std::move(*h));
    PostMessageW(w.window, kNextHandOverMessage, 0, 0);
    return 1;
}

void TakeNextHandOver(MainWindow& w) {
    if (w.pendingHandOvers.empty() || !IsWindowEnabled(w.window)) return;
    HandOver next = std::move(w.pendingHandOvers.front());
    w.pendingHandOvers.pop_front();
    const HWND window = w.window;
    AddFromAddress(w, next.address, true, {next.referrer, next.cookie, next.userAgent, next.fileName});
    // The flow's dialogs run message loops in which an Exit may have ended the window.
    if (!IsWindow(window) || MainWindowOf(window) != &w) return;
    if (!w.pendingHandOvers.empty()) PostMessageW(window, kNextHandOverMessage, 0, 0);
}

void PostNextHandOver(MainWindow& w) {
    if (!w.pendingHandOvers.empty() && IsWindowEnabled(w.window))
        PostMessageW(w.window, kNextHandOverMessage, 0, 0);
}

}  // namespace vonu
