#include "ui/add_from_address.h"

#include <optional>

#include "manager/control.h"
#include "model/download_lookup.h"
#include "model/download_manager.h"
#include "ui/address_dialog.h"
#include "ui/duplicate_dialog.h"
#include "ui/new_download_dialog.h"
#include "ui/progress_windows.h"
#include "ui/properties_dialog.h"
#include "ui/queue_chooser.h"

namespace vonu {
namespace {

// A minimised owner hides its dialogs with it, so it counts as hidden too.
bool MainWindowHidden(const MainWindow& w) { return !IsWindowVisible(w.window) || IsIconic(w.window); }

void StartAndShow(MainWindow& w, int32_t id) {
    StartDownload(Manager(), id);
    if (Manager().ShowProgress) OpenProgressWindow(w, id);
}

// The duplicate's question and what was chosen; true when a new download is to be made.
bool HandleDuplicate(MainWindow& w, int32_t existing, bool fromOutside) {
    const std::optional<DownloadSnapshot> d = Manager().SnapshotOne(existing);
    if (!d) return true;  // gone meanwhile: the address is new again
    if (fromOutside || MainWindowHidden(w)) BringMainWindowForward(w);
    const bool complete = d->state == static_cast<int32_t>(DownloadState::Complete);
    const std::optional<DuplicateChoice> choice = AskAboutDuplicate(w.window, d->fileName, complete);
    if (!choice) return false;
    switch (*choice) {
        case DuplicateChoice::ReplaceExisting:
            CloseProgressWindow(w, existing);
            RemoveDownload(Manager(), existing, true);
            return true;
        case DuplicateChoice::AddUnderNewName:
            return true;
        case DuplicateChoice::UseExisting:
            if (complete)
                ShowFileProperties(w.window, existing);
            else
                StartAndShow(w, existing);
            return false;
    }
    return false;
}

}  // namespace

void AddFromAddress(MainWindow& w, const std::wstring& address, bool fromOutside,
                    const DownloadOptions& options) {
    DownloadManager& m = Manager();
    if (const int32_t existing = DownloadIdForAddress(m, address)) {
        if (!HandleDuplicate(w, existing, fromOutside)) {
            RefreshList(w);
            return;
        }
    }
    const int32_t id = AddDownload(address, options);
    RefreshList(w);
    const NewDownloadChoice choice = ShowNewDownloadDialog(w.window, id, fromOutside || MainWindowHidden(w));
    switch (choice) {
        case NewDownloadChoice::DownloadNow:
            StartAndShow(w, id);
            break;
        case NewDownloadChoice::SaveForLater: {
            int32_t queue = 1;
            const std::vector<DownloadQueue> queues = m.CopyQueues();
            if (queues.size() >= 2) queue = ChooseQueue(w.window, queues).value_or(1);
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
    if (const std::optional<std::wstring> address = AskForAddress(w.window))
        AddFromAddress(w, *address, false);
}

}  // namespace vonu
