// The main window's link commands: "Add batch download from clipboard", "Import links from
// a file...", "Export the download list...", and the installation of every link tool into
// the main window's hooks (ui/link_tools_hooks.h). User-interface thread; each dialog and
// message box is modal to `owner`.
#pragma once

#include <windows.h>

namespace vonu {

// The clipboard's links in the batch list dialog; true when that dialog added downloads.
bool BatchFromClipboard(HWND owner);

// A text or web page file's links in the batch list dialog; true when that dialog added
// downloads.
bool ImportLinks(HWND owner);

// Every download's address, in list order, into a file the user chooses.
void ExportDownloadList(HWND owner);

// Start-up, before the main window is made.
void InstallLinkTools();

}  // namespace vonu
