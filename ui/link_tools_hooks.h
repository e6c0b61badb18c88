// What the main window needs from the link tools (tools/), which sit a layer above it:
// start-up installs them once before the main window is made. Until then (and in programs
// that never install them, such as the benchmarks) the link tools' commands are
// unavailable and the clipboard offers nothing. User-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

// What a copied text offers: nothing, one address, or two or more.
struct ClipboardLinks {
    std::wstring single;              // one address for the add-from-address flow
    std::vector<std::wstring> links;  // two or more for the batch list dialog
};

struct LinkToolsHooks {
    // The commands; true when they may have changed the download list (the window then
    // refreshes). Each dialog is modal to `owner`.
    bool (*batch)(HWND owner) = nullptr;
    bool (*batchFromClipboard)(HWND owner) = nullptr;
    bool (*siteGrabber)(HWND owner) = nullptr;
    bool (*importLinks)(HWND owner) = nullptr;
    void (*exportList)(HWND owner) = nullptr;
    // The batch list dialog with these addresses; true when confirmed.
    bool (*batchList)(HWND owner, const std::vector<std::wstring>& links) = nullptr;
    // What a trimmed, non-empty copied text of at most 200,000 characters offers, given the
    // window's snapshot of the list.
    ClipboardLinks (*clipboardOffer)(std::wstring_view text, const std::vector<DownloadSnapshot>& snapshot) = nullptr;
    // The addresses in a dropped text, in order, each once.
    std::vector<std::wstring> (*extractLinks)(std::wstring_view text) = nullptr;
};

void SetLinkToolsHooks(const LinkToolsHooks& hooks);
const LinkToolsHooks& LinkTools();
// Every hook is there.
bool LinkToolsInstalled();

}  // namespace vonu
