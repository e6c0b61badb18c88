// "Save for later": which queue a download saved for later waits in. Lists every queue's
// translated name in model order with the first selected. Modal to `owner`; uses the
// IDD_QUEUE_CHOOSER resource. User-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// The chosen queue's id; nothing when cancelled or when `queues` is empty.
std::optional<int32_t> ChooseQueue(HWND owner, const std::vector<DownloadQueue>& queues);

}  // namespace vonu
