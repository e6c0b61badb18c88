// What the main window needs from the link tools (tools/), which sit a layer above it:
// start-up installs them once before the main window is made. Until then (and in programs
// that never install them, such as the benchmarks) the link tools' commands are
// unavailable. User-interface thread.
#pragma once

#include <windows.h>

namespace vonu {

struct LinkToolsHooks {
    // The commands; true when they may have changed the download list (the window then
    // refreshes). Each dialog is modal to `owner`.
    bool (*batch)(HWND owner) = nullptr;
    bool (*batchFromClipboard)(HWND owner) = nullptr;
    bool (*siteGrabber)(HWND owner) = nullptr;
    bool (*importLinks)(HWND owner) = nullptr;
    void (*exportList)(HWND owner) = nullptr;
};

void SetLinkToolsHooks(const LinkToolsHooks& hooks);
const LinkToolsHooks& LinkTools();
// Every hook is there.
bool LinkToolsInstalled();

}  // namespace vonu
