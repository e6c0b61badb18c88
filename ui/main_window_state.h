// What the main window owns. One instance per process, reached through the window's
// GWLP_USERDATA; every field is touched only on the user-interface thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "manager/list_saver.h"
#include "model/download_snapshot.h"
#include "model/download_types.h"
#include "ui/command_rules.h"
#include "ui/download_list.h"
#include "ui/hand_over_record.h"
#include "ui/gdi_handles.h"
#include "ui/status_bar.h"
#include "ui/tray_icon.h"
#include "ui/update_result.h"

namespace vonu {

struct MainWindow {
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    std::wstring dataFolder;  // where list.ini and settings.ini are saved
    // The timed save of list.ini; null when the system refused its thread, and the window
    // tick then saves on this thread instead.
    std::unique_ptr<ListSaver> listSaver;

    HWND toolbar = nullptr;
    HWND tree = nullptr;
    DownloadList list;
    StatusBar status;
    FontHandle font;             // the system message font
    ImageListHandle treeImages;  // the tree's icons
    IconHandle smallIcon;        // for the tray

    int currentNode = 1;
    std::vector<std::wstring> categoryNames;
    int treeWidth = 200;
    bool splitterDragging = false;

    // The last refresh's copy of every download; commands and their enabling read this.
    // Pointers into it stay valid only until the next refresh (a modal dialog's loop runs ticks).
    std::vector<DownloadSnapshot> snapshot;
    std::vector<DownloadQueue> queues;  // copied with the snapshot

    // Download id -> its open progress window (ui/progress_windows.h); a window takes itself
    // out when it closes.
    std::unordered_map<int32_t, HWND> progressWindows;
    // The download the open New Download dialog shows, 0 when none: not confirmed yet, so an
    // exit meanwhile removes it before the list is saved.
    int32_t unconfirmedDownload = 0;

    // Browser hand-overs waiting for the add-from-address flow, oldest first (ui/hand_overs.h).
    std::deque<HandOver> pendingHandOvers;

    bool trayIconPresent = false;
    TrayMenuGate trayMenu;  // one right click, one tray menu
    // A queue's end action is asking (the turn-off countdown is open): the ticks inside its
    // loop leave further finished-queue events in the model until it is answered.
    bool endActionRunning = false;
    bool exiting = false;
    bool closeBalloonShown = false;
    std::wstring lastTooltip;
    ULONGLONG lastTooltipSent = 0;  // GetTickCount64 of the last tip sent
    uint64_t tickCounter = 0;
    bool shutDown = false;  // the model was stopped and saved
    bool updateCheckBusy = false;                // an update check runs (ui/update_offer.h)
    bool updateCheckAsked = false;               // ...that the user asked for: the status says so
    std::unique_ptr<UpdateResult> pendingUpdate;  // a verified offer waiting for the dialog
    UINT taskbarCreatedMessage = 0;
    // The clipboard watcher (ui/clipboard_watcher.h).
    std::wstring lastClipboardText;
    std::wstring pendingClipboardLink;
    std::vector<std::wstring> pendingClipboardLinks;
    std::wstring pendingDroppedText;  // the drop target's (ui/drop_target.h)

    // The selected rows' downloads in the snapshot, the snapshot and the queues.
    CommandContext Context() const;
};

MainWindow* MainWindowOf(HWND window);

}  // namespace vonu

namespace vonu {

// Main window operations the commands, the tick and the tray use (ui/main_window.cpp).
void RefreshList(MainWindow& w);
void RebuildCategories(MainWindow& w);
void RebuildQueues(MainWindow& w);
void BringMainWindowForward(MainWindow& w);
void CloseForExit(MainWindow& w);  // sets the exiting flag and closes the window
// The close path's stop: the timer and the timed save end, then every queue and download
// stops and the list is saved. Once per window; later calls do nothing.
void ShutDownMainWindowModel(MainWindow& w);
// After a modal dialog returns: false when an Exit destroyed the window (and freed `w`)
// while the dialog ran, so nothing of `w` may be touched.
bool MainWindowStillOpen(HWND window, const MainWindow& w);
// A balloon on the notification-area icon; nothing when the icon does not exist.
void ShowMainWindowBalloon(MainWindow& w, const std::wstring& title, const std::wstring& text);

}  // namespace vonu
