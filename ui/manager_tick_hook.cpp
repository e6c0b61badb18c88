#include "ui/manager_tick_hook.h"

#include "manager/tick.h"

namespace vonu {

void RunManagerTick(DownloadManager& manager) { Tick(manager); }

}  // namespace vonu
