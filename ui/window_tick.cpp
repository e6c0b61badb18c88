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
#include "ui/tray_icon.h"
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

void HandleFinishedQueues(MainWindow& w, const std::vector<QueueFinishedEvent>& events) {
    for (const QueueFinishedEvent& e : events) {
        if (e.after == static_cast<int32_t>(QueueEndAction::ExitProgram)) {
            CloseForExit(w);
            return;  // the remaining events are not acted on
        }
        // QueueEndAction::TurnOff needs the 30-second countdown window, which is not part of
        // the program yet: until it is, such a queue ends like one that does nothing.
        if (w.trayIconPresent && !IsWindowVisible(w.window)) {
            const std::wstring name = Translate(e.queueName.c_str());
            ShowTrayBalloon(w.window, Translate(L"Queue finished"),
                            FormatText(Translate(L"%s has no more files to download"), name.c_str()));
        }
    }
}

}  // namespace

void WindowTick(MainWindow& w) {
    DownloadManager& m = Manager();
    RunManagerTick(m);
    (void)SaveListIfAsked(m, w.dataFolder);  // the queue runner may have started downloads
    RefreshList(w);
    HandleCompleted(w, m.TakeCompleted());
    HandleFinishedQueues(w, m.TakeFinishedQueues());
    if (!IsWindow(w.window)) return;
    PostNextHandOver(w);
    const HWND window = w.window;
    ShowPendingUpdateWhenFree(w);  // a modal dialog whose loop runs ticks: `w` may be gone after
    if (!IsWindow(window) || MainWindowOf(window) != &w) return;
    // The list saver writes list.ini every two seconds; without one, this thread does.
    if (++w.tickCounter % 8 == 0 && !w.listSaver) (void)SaveList(m, w.dataFolder, false);
}

}  // namespace vonu
