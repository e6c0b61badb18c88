// placeholder until the progress windows are merged
#include "ui/progress_windows.h"

namespace vonu {

void OpenProgressWindow(MainWindow&, int32_t) {}
void CloseProgressWindow(MainWindow&, int32_t) {}
void CloseAllProgressWindows(MainWindow&) {}

}  // namespace vonu
