#include "ui/add_from_address.h"

#include <optional>

#include "manager/control.h"
#include "model/download_lookup.h"
#include "model/download_manager.h"
#include "model/list_file.h"
#include "ui/address_dialog.h"
#include "ui/duplicate_dialog.h"
#include "ui/new_download_dialog.h"
#include "ui/progress_windows.h"
#include "ui/properties_dialog.h"
#include "ui/queue_chooser.h"

namespace vonu {
namespace {

// Each dialog runs a message loop in which an Exit can destroy the main window and free `w`;
// after one, the flow goes on only while the window (looked up by its handle) still lives.
bool StillOpen(HWND window, const MainWindow& w) { return IsWindow(window) && MainWindowOf(window) == &w; }

// A minimised owner hides its dialogs with it, so it counts as hidden too.
bool MainWindowHidden(const MainWindow& w) { return !IsWindowVisible(w.window) || IsIconic(w.window); }

void StartAndShow(MainWindow& w, int32_t id) {
    StartDownload(Manager(), id);
    (void)SaveListIfAsked(Manager(), w.dataFolder);
    if (Manager().ShowProgress) OpenProgressWindow(w, id);
}

enum class DuplicateOutcome { AddNew, Done, WindowGone };

// The duplicate's question and what was chosen.
DuplicateOutcome HandleDuplicate(MainWindow& w, int32_t existing, bool fromOutside) {
    const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(existing);
    if (!d) return DuplicateOutcome::AddNew;  // gone meanwhile: the address is new again
    if (fromOutside || MainWindowHidden(w)) BringMainWindowForward(w);
    const HWND window = w.window;
    const bool complete = d->state == DownloadState::Complete;
    const std::optional<DuplicateChoice> choice = AskAboutDuplicate(window, d->fileName, complete);
    if (!StillOpen(window, w)) return DuplicateOutcome::WindowGone;
    if (!choice) return DuplicateOutcome::Done;
    switch (*choice) {
        case DuplicateChoice::ReplaceExisting:
            CloseProgressWindow(w, existing);
            RemoveDownload(Manager(), existing, true);
            return DuplicateOutcome::AddNew;
        case DuplicateChoice::AddUnderNewName:
            return DuplicateOutcome::AddNew;
        case DuplicateChoice::UseExisting:
            if (complete) {
                ShowFileProperties(window, existing);
                if (!StillOpen(window, w)) return DuplicateOutcome::WindowGone;
            } else {
                StartAndShow(w, existing);
            }
            return DuplicateOutcome::Done;
    }
    return DuplicateOutcome::Done;
}

}  // namespace

void AddFromAddress(MainWindow& w, const std::wstring& address, bool fromOutside,
                    const DownloadOptions& options) {
    DownloadManager& m = Manager();
    const HWND window = w.window;
    if (const int32_t existing = DownloadIdForAddress(m, address)) {
        const DuplicateOutcome outcome = HandleDuplicate(w, existing, fromOutside);
        if (outcome == DuplicateOutcome::WindowGone) return;
        if (outcome == DuplicateOutcome::Done) {
            RefreshList(w);
            return;
        }
    }
    const int32_t id = AddDownload(address, options);
    // On disk before New Download even opens: a crash from here on finds the entry again.
    (void)SaveListIfAsked(m, w.dataFolder);
    RefreshList(w);
    w.unconfirmedDownload = id;
    const NewDownloadChoice choice = ShowNewDownloadDialog(window, id, fromOutside || MainWindowHidden(w));
    if (!StillOpen(window, w)) return;  // the exit removed the download before saving the list
    w.unconfirmedDownload = 0;
    switch (choice) {
        case NewDownloadChoice::DownloadNow:
            StartAndShow(w, id);
            break;
        case NewDownloadChoice::SaveForLater: {
            int32_t queue = 1;
            const std::vector<DownloadQueue> queues = m.CopyQueues();
            if (queues.size() >= 2) queue = ChooseQueue(window, queues).value_or(1);
            if (!StillOpen(window, w)) return;
            MoveToQueue(m, id, queue);
            break;
        }
        case NewDownloadChoice::Cancel:
            RemoveDownload(m, id, false);
            break;
    }
    RefreshList(w);
}

void AddNewDownload(MainWindow& w) {
    // A modal dialog of the program is open (the tray menu still works then): one at a time.
    if (!IsWindowEnabled(w.window)) return;
    if (const std::optional<std::wstring> address = AskForAddress(w.window))
        AddFromAddress(w, *address, false);
}

}  // namespace vonu
