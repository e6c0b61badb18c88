#include "ui/window_tick.h"

#include <mmsystem.h>

#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/download_manager.h"
#include "model/data_folder.h"
#include "model/list_file.h"
#include "ui/completion_window.h"
#include "ui/hand_overs.h"
#include "ui/manager_tick_hook.h"
#include "ui/progress_windows.h"
#include "ui/system_shutdown.h"
#include "ui/tray_icon.h"
#include "ui/turn_off_countdown.h"
#include "ui/update_offer.h"

namespace vonu {
namespace {

void PlayCompletionSound() {
    if (!PlaySoundW(L"Notification.Default", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT))
        MessageBeep(MB_ICONINFORMATION);
}

// Per completed download, in list order: its progress window closes, the sound plays, and
// its completion window opens (when wanted and the download is still in the list).
void HandleCompleted(MainWindow& w, const std::vector<int32_t>& ids) {
    DownloadManager& m = Manager();
    for (int32_t id : ids) {
        CloseProgressWindow(w, id);
        if (m.Sound) PlayCompletionSound();
        if (!m.ShowComplete) continue;
        if (const std::optional<DownloadSnapshot> d = m.SnapshotOne(id))
            OpenCompletionWindow(w.instance, *d, SettingsPath(w.dataFolder));
    }
}

// The end actions of the queues that ran out of work, in order. "Exit Vonu" and a turn-off
// end the program and leave the remaining events alone. A turn-off asks first with the
// countdown; while it is open, the ticks of its loop keep new events in the model, and a
// cancelled countdown is the answer for the other turn-off events of the same batch (one
// countdown per batch). False when the window was destroyed meanwhile (an Exit from outside):
// `w` is freed then.
bool HandleFinishedQueues(MainWindow& w, const std::vector<QueueFinishedEvent>& events) {
    const HWND window = w.window;
    bool turnOffCancelled = false;
    for (const QueueFinishedEvent& e : events) {
        if (e.after == static_cast<int32_t>(QueueEndAction::ExitProgram)) {
            CloseForExit(w);
            return true;
        }
        if (e.after == static_cast<int32_t>(QueueEndAction::TurnOff)) {
            if (turnOffCancelled) continue;
            w.endActionRunning = true;
            const bool turnOff = AskTurnOffCountdown(window);
            if (!MainWindowStillOpen(window, w)) return false;
            w.endActionRunning = false;
            if (!turnOff) {
                turnOffCancelled = true;
                continue;
            }
            // The close path's stop, timer first: no tick may start a download after the save.
            ShutDownMainWindowModel(w);
            (void)RequestSystemShutdown(kTurnOffFlags, kTurnOffReason);  // refused: the program ends anyway
            CloseForExit(w);
            return true;
        }
        if (w.trayIconPresent && !IsWindowVisible(w.window)) {
            const std::wstring name = Translate(e.queueName.c_str());
            ShowTrayBalloon(w.window, Translate(L"Queue finished"),
                            FormatText(Translate(L"%s has no more files to download"), name.c_str()));
        }
    }
    return true;
}

}  // namespace

void WindowTick(MainWindow& w) {
    DownloadManager& m = Manager();
    RunManagerTick(m);
    (void)SaveListIfAsked(m, w.dataFolder);  // the queue runner may have started downloads
    RefreshList(w);
    HandleCompleted(w, m.TakeCompleted());
    if (!w.endActionRunning && !HandleFinishedQueues(w, m.TakeFinishedQueues())) return;
    if (!IsWindow(w.window)) return;
    PostNextHandOver(w);
    const HWND window = w.window;
    ShowPendingUpdateWhenFree(w);  // a modal dialog whose loop runs ticks: `w` may be gone after
    if (!IsWindow(window) || MainWindowOf(window) != &w) return;
    // The list saver writes list.ini every two seconds; without one, this thread does.
    if (++w.tickCounter % 8 == 0 && !w.listSaver) (void)SaveList(m, w.dataFolder, false);
}

}  // namespace vonu
