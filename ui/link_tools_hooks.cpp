#include "ui/link_tools_hooks.h"

namespace vonu {
namespace {

LinkToolsHooks& Installed() {
    static LinkToolsHooks hooks;
    return hooks;
}

}  // namespace

void SetLinkToolsHooks(const LinkToolsHooks& hooks) { Installed() = hooks; }

const LinkToolsHooks& LinkTools() { return Installed(); }

bool LinkToolsInstalled() {
    const LinkToolsHooks& h = Installed();
    return h.batch && h.batchFromClipboard && h.siteGrabber && h.importLinks && h.exportList && h.batchList &&
           h.clipboardOffer && h.extractLinks;
}

}  // namespace vonu
