// Finding downloads by what the user typed, to warn about duplicate links.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/download_manager.h"

namespace vonu {

// Under the manager lock: the id of the first download whose address equals this one
// exactly, or 0.
int32_t DownloadIdForAddress(DownloadManager& m, std::wstring_view address);

}  // namespace vonu
