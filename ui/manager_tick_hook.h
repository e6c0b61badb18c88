// The one place the window tick runs the manager tick (thread reaping, restarts, speeds,
// schedules, queue runners; manager/tick.h). User-interface thread, without the manager lock.
#pragma once

#include "model/download_manager.h"

namespace vonu {

void RunManagerTick(DownloadManager& manager);

}  // namespace vonu
