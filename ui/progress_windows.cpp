#include "ui/progress_windows.h"

#include "ui/progress_window.h"

namespace vonu {

void OpenProgressWindow(MainWindow& w, int32_t id) {
    if (auto found = w.progressWindows.find(id);
        found != w.progressWindows.end() && IsWindow(found->second)) {
        HWND window = found->second;
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        else
            ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        return;
    }
    // The main window outlives every progress window (it closes them all before it goes), so
    // the callback's reference stays valid.
    MainWindow* owner = &w;
    HWND window = CreateProgressWindow(w.instance, id,
                                       [owner](int32_t closedId) { owner->progressWindows.erase(closedId); });
    if (!window) return;
    w.progressWindows[id] = window;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

void CloseProgressWindow(MainWindow& w, int32_t id) {
    auto found = w.progressWindows.find(id);
    if (found == w.progressWindows.end()) return;
    HWND window = found->second;
    w.progressWindows.erase(found);
    if (IsWindow(window)) DestroyWindow(window);
}

void CloseAllProgressWindows(MainWindow& w) {
    while (!w.progressWindows.empty()) CloseProgressWindow(w, w.progressWindows.begin()->first);
}

}  // namespace vonu
