#include "ui/clipboard_watcher.h"

#include <utility>

#include "model/download_manager.h"
#include "ui/add_from_address.h"
#include "ui/address_dialog.h"
#include "ui/dialog_controls.h"
#include "ui/link_tools_hooks.h"

namespace vonu {
namespace {

// The copy that changed the clipboard may still hold it open: three tries, 30 ms apart.
// Read a little past the cap, as blanks at the ends are trimmed before the cap applies.
std::wstring ReadClipboard(HWND window) {
    for (int attempt = 0;; ++attempt) {
        bool busy = false;
        std::wstring text = ClipboardUnicodeText(window, kWatchedClipboardCap * 2, &busy);
        if (!busy || attempt == 2) return text;
        Sleep(30);
    }
}

}  // namespace

void StartClipboardWatch(MainWindow& w) { AddClipboardFormatListener(w.window); }

void StopClipboardWatch(MainWindow& w) {
    KillTimer(w.window, kClipboardTimer);
    RemoveClipboardFormatListener(w.window);
}

void OnClipboardChanged(MainWindow& w) {
    if (!Manager().Clipboard) return;
    SetTimer(w.window, kClipboardTimer, kClipboardDebounceMilliseconds, nullptr);  // restarts a running one
}

void ExamineClipboard(MainWindow& w) {
    KillTimer(w.window, kClipboardTimer);
    if (!Manager().Clipboard || !LinkToolsInstalled()) return;
    const std::wstring text = TrimBlanks(ReadClipboard(w.window));
    if (text.empty() || text.size() > kWatchedClipboardCap || text == w.lastClipboardText) return;
    w.lastClipboardText = text;
    ClipboardLinks offer = LinkTools().clipboardOffer(text, w.snapshot);
    if (!IsWindowEnabled(w.window)) return;
    if (!offer.links.empty()) {
        w.pendingClipboardLinks = std::move(offer.links);
    } else if (!offer.single.empty()) {
        w.pendingClipboardLink = std::move(offer.single);
    } else {
        return;
    }
    PostMessageW(w.window, kClipboardLinksMessage, 0, 0);
}

void OfferClipboardLinks(MainWindow& w) {
    if (!IsWindowEnabled(w.window)) return;
    if (!w.pendingClipboardLinks.empty()) {
        const std::vector<std::wstring> links = std::exchange(w.pendingClipboardLinks, {});
        BringMainWindowForward(w);
        // The dialog's loop runs messages: an Exit can free `w` meanwhile.
        const HWND window = w.window;
        const bool added = LinkTools().batchList(window, links);
        if (added && IsWindow(window) && MainWindowOf(window) == &w) RefreshList(w);
    } else if (!w.pendingClipboardLink.empty()) {
        const std::wstring address = std::exchange(w.pendingClipboardLink, {});
        AddFromAddress(w, address, true);
    }
}

}  // namespace vonu
