#include "ui/window_tick.h"

#include <mmsystem.h>

#include "app/localization.h"
#include "app/text_format.h"
#include "model/download_manager.h"
#include "model/list_file.h"
#include "ui/manager_tick_hook.h"
#include "ui/tray_icon.h"

namespace vonu {
namespace {

void PlayCompletionSound() {
    if (!PlaySoundW(L"Notification.Default", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT))
        MessageBeep(MB_ICONINFORMATION);
}

void HandleCompleted(MainWindow& w, const std::vector<int32_t>& ids) {
    for (int32_t id : ids) {
        (void)id;
        // The download's progress window closes and its completion window opens here once
        // those windows are part of the program.
        if (Manager().Sound) PlayCompletionSound();
    }
    (void)w;
}

void HandleFinishedQueues(MainWindow& w, const std::vector<QueueFinishedEvent>& events) {
    for (const QueueFinishedEvent& e : events) {
        if (e.after == static_cast<int32_t>(QueueEndAction::ExitProgram)) {
            CloseForExit(w);
            return;  // the remaining events are not acted on
        }
        // QueueEndAction::TurnOff needs the 30-second countdown window, which is not part of
        // the program yet: such a queue ends like one that does nothing, and says so.
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
    RefreshList(w);
    HandleCompleted(w, m.TakeCompleted());
    HandleFinishedQueues(w, m.TakeFinishedQueues());
    if (!IsWindow(w.window)) return;
    // Link hand-overs and the update offer join this sequence with the browser integration
    // and the updater.
    if (++w.tickCounter % 8 == 0) (void)SaveList(m, w.dataFolder, false);  // a failed save retries next time
}

}  // namespace vonu
