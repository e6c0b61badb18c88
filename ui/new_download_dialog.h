// "New Download" for a download the add-from-address flow has just created: its address,
// category, target path ("..." picks one with a save-file dialog), description and an
// information line that a 250 ms timer fills from the probe (size, resumability, or why the
// probe failed). The probe's proposed path is applied once, and only when the user has not
// typed a path; a category the user picked before the probe reports is kept.
//
// "Download Now" and "Save for Later" close the dialog only when the path passes the checks
// (ui/save_path_check.h) and, when the name is taken, the user accepts the free name shown;
// they then store path, category and description on the download (which fixes the path
// against a late probe result). Cancel and the close box change nothing: the caller removes
// the download. Modal to `owner`; uses the IDD_NEW_DOWNLOAD resource. User-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vonu {

enum class NewDownloadChoice { DownloadNow, SaveForLater, Cancel };

// fromOutside: the address came from outside the program (clipboard, drop, browser) or the
// main window is hidden; the dialog then opens topmost and in the foreground.
NewDownloadChoice ShowNewDownloadDialog(HWND owner, int32_t id, bool fromOutside);

}  // namespace vonu
