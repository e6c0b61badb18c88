#include "ui/updater_hooks.h"

namespace vonu {
namespace {

UpdaterHooks& Installed() {
    static UpdaterHooks hooks;
    return hooks;
}

}  // namespace

void SetUpdaterHooks(const UpdaterHooks& hooks) { Installed() = hooks; }

const UpdaterHooks& Updater() { return Installed(); }

bool UpdaterInstalled() {
    const UpdaterHooks& h = Installed();
    return h.startCheck && h.downloadFile && h.swapAndRestart && h.oldProgramPath;
}

}  // namespace vonu
