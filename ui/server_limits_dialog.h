// "Connections per server": the per-server connection limits, edited on a copy. "Add" takes
// the host part of what was typed and a limit of 1 ... 32, changing the row of the same host
// (any letter case) or appending one; a host with ";" or "=" is refused with a message.
// Modal to `owner`; uses IDD_SERVER_LIMITS. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// The edited list, or nothing when cancelled.
std::optional<std::vector<ServerLimit>> EditServerLimitsDialog(HWND owner, std::vector<ServerLimit> limits);

// The report list views of the options pages: columns of these widths at 96 DPI (scaled),
// full-row selection, and the rows' texts refilled from `rows`.
void SetUpReportList(HWND list, std::initializer_list<std::pair<const wchar_t*, int>> columns);
void FillReportList(HWND list, const std::vector<std::vector<std::wstring>>& rows);
// The selected row, or -1.
int SelectedRow(HWND list);

}  // namespace vonu
