// The main window's status bar: three panes (downloads, total speed with the limit, running
// queues) ending at 220 and 560 (x scale) and at the window's right edge, with a size grip.
// User-interface thread (the texts go through the translation lookup).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/download_snapshot.h"
#include "model/download_types.h"

namespace vonu {

using StatusTexts = std::array<std::wstring, 3>;

// "  %d downloading, %d in list"; "  Total speed " + speed [+ "  (limited to " + limit +
// ")" when the limiter is on with a limit above 0]; "  No queue is running",
// "  Running: " + name, or "  %d queues are running".
StatusTexts MakeStatusTexts(const std::vector<DownloadSnapshot>& downloads,
                            const std::vector<DownloadQueue>& queues, bool limiterOn, int32_t limitKB);

class StatusBar {
public:
    bool Create(HWND parent, HINSTANCE instance, HFONT font);
    HWND window() const { return bar_; }
    void SetParts();
    // Writes only the panes whose text changed.
    void Show(const StatusTexts& texts);
    // Pane 1 for a moment (for example "Checking for updates..."); the next refresh rewrites it.
    void ShowFirst(const std::wstring& text);

private:
    HWND bar_ = nullptr;
    StatusTexts shown_;
};

}  // namespace vonu
