#include "ui/manager_tick_hook.h"

namespace vonu {

// The manager tick is not on this branch yet: until it joins here, finished threads are
// reaped only by the next start or removal, speeds stay 0 and queue runners do not start
// queued downloads. Connect the tick in this function; nothing else calls it.
void RunManagerTick(DownloadManager&) {}

}  // namespace vonu
