// The update dialog (resource 216, "Vonu update"): the offered version and its notes, a link
// to the release page, and three choices: skip this version, remind me later, update now.
// Updating downloads the program file on a thread of its own (through the installed
// updater, ui/updater_hooks.h) with a progress bar, then swaps it in and starts it.
//
// Threads: the dialog runs on the user-interface thread. Its download thread talks to it
// only through two atomic counters, the cancel flag of the dialog's own DownloadItem, the
// outcome it writes before it posts, and the posted finish message; every finish carries a
// generation number, so one from a cancelled download is ignored. Cancel sets the flag and
// closes the item's requests, then joins the thread; the dialog never closes with its
// thread running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/update_result.h"

namespace vonu {

inline constexpr UINT kUpdateFinishedMessage = WM_APP + 20;

// Modal, owned by `owner`. Skipping stores the version as SkipVersion and saves the
// settings to `settingsPath`. True when the new version was started and the program must
// end now.
bool ShowUpdateDialog(HWND owner, const UpdateResult& offer, const std::wstring& settingsPath);

// For an exit while the dialog is open: runs its Cancel (a download stops and its thread is
// joined) and ends it. False when no update dialog is open.
bool EndUpdateDialogForExit();

// The notes as the dialog shows them: each line as U+2022, two spaces, the line, CR LF (in
// the Arabic interface after a right-to-left mark); the translated "Fixes and improvements."
// when there are none or they are all empty.
std::wstring UpdateNotesText(const std::vector<std::wstring>& notes);

// The release page is offered only as an http:// or https:// address: `page` is not
// signed, and the shell would open anything else as a program or a file.
bool IsReleasePageAddress(const std::wstring& page);

}  // namespace vonu
