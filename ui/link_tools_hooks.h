// What the main window needs from the link tools (tools/), which sit a layer above it:
// start-up installs them once before the main window is made. Until then (and in programs
// that never install them, such as the benchmarks) the link tools' commands are
// unavailable, the clipboard offers nothing and nothing can be dropped. User-interface
// thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

struct ClipboardLinks {
    std::wstring single;              // one address for the add-from-address flow
    std::vector<std::wstring> links;  // two or more for the batch list dialog
};

struct LinkToolsHooks {
    // The commands; true when they changed the download list (the window then refreshes).
    bool (*batch)(HWND owner) = nullptr;
    bool (*batchFromClipboard)(HWND owner) = nullptr;
    void (*siteGrabber)(HWND owner) = nullptr;
    bool (*importLinks)(HWND owner) = nullptr;
    void (*exportList)(HWND owner, const std::vector<DownloadSnapshot>& snapshot) = nullptr;
    // The batch list dialog with these addresses; true when confirmed.
    bool (*batchList)(HWND owner, const std::vector<std::wstring>& links) = nullptr;
    // What a copied text offers (the text trimmed, not empty, at most 200,000 characters).
    ClipboardLinks (*clipboardOffer)(std::wstring_view text, const std::vector<DownloadSnapshot>& snapshot) = nullptr;
    std::vector<std::wstring> (*extractLinks)(std::wstring_view text) = nullptr;
    // Registers `target` as a drop target whose drops go to `mainWindow` (kDropMessage);
    // Revoke undoes it.
    bool (*registerDrop)(HWND target, HWND mainWindow) = nullptr;
    void (*revokeDrop)(HWND target) = nullptr;
    // The text of the last drop, taken (empty afterwards).
    std::wstring (*takeDroppedText)() = nullptr;
};

void SetLinkToolsHooks(const LinkToolsHooks& hooks);
const LinkToolsHooks& LinkTools();
bool LinkToolsInstalled();

}  // namespace vonu
