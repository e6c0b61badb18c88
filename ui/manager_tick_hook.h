// The one place the window tick runs the manager tick (thread reaping, speeds, schedules,
// queue runners). User-interface thread, without the manager lock.
#pragma once

#include "model/download_manager.h"

namespace vonu {

void RunManagerTick(DownloadManager& manager);

}  // namespace vonu
