// The batch address dialog ("Add batch download") and the batch list dialog ("Batch
// download"), which import, the clipboard and drops share. User-interface thread; both are
// modal to `owner`.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vonu {

// The expanded addresses when confirmed; nothing when cancelled.
std::optional<std::vector<std::wstring>> AskBatchAddresses(HWND owner);

// Rows for the addresses, ticked unless the download list holds that exact address; the
// ticked ones are added to the chosen queue ("Download now" also starts it). True when
// confirmed. Does nothing for an empty list.
bool ShowBatchList(HWND owner, const std::vector<std::wstring>& links);

// The command "Add batch download...": both dialogs; true when downloads were added.
bool RunBatchDownload(HWND owner);

}  // namespace vonu
