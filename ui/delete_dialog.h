// "Delete downloads": asks whether to remove the selected downloads from the list, with the
// choice to delete finished files from disk as well (offered only when one of them is
// Complete). Modal to `owner`; uses the IDD_DELETE_DOWNLOADS resource of the program.
#pragma once

#include <windows.h>

#include <optional>

namespace vonu {

// Nothing when cancelled; else whether finished files are to be deleted too.
std::optional<bool> AskDeleteDownloads(HWND owner, int count, bool anyComplete);

}  // namespace vonu
