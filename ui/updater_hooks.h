// What the windows need from the updater (update/), which sits a layer above them: start-up
// installs it once before the main window is made. Until then (and in programs that never
// install it, such as the benchmarks) no update check starts and the Check for updates
// command is unavailable. User-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "model/download_item.h"
#include "ui/update_result.h"

namespace vonu {

struct UpdaterHooks {
    // Starts a check of the description at `address` on a thread of its own; the answer
    // comes as kUpdateCheckMessage to `window`.
    void (*startCheck)(HWND window, bool asked, const std::wstring& address, bool arabic) = nullptr;
    // The update dialog's download thread: the offer's file checked and written to the
    // temporary folder (`path`), or false with the sentence in `error`. `item` carries the
    // requests, so the dialog's Cancel closes them.
    bool (*downloadFile)(const UpdateResult& offer, DownloadItem& item, std::atomic<int64_t>& received,
                         std::atomic<int64_t>& contentLength, std::wstring& path,
                         std::wstring& error) = nullptr;
    // Swaps the downloaded file in and starts it with "/restart /updated"; false with the old
    // program back in place.
    bool (*swapAndRestart)(const UpdateResult& offer, const std::wstring& newFile) = nullptr;
    // The file the last swap left behind (the running executable's ".old.exe").
    std::wstring (*oldProgramPath)() = nullptr;
};

void SetUpdaterHooks(const UpdaterHooks& hooks);
const UpdaterHooks& Updater();
// Every hook is there.
bool UpdaterInstalled();

}  // namespace vonu
