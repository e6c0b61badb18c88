#include "app/command_line.h"

#include "browser/extension_ids.h"

namespace vonu {

CommandLine ParseCommandLine(std::wstring_view line) {
    auto has = [line](std::wstring_view text) { return line.find(text) != std::wstring_view::npos; };
    CommandLine c;
    c.host = has(kChromiumOriginPrefix) || has(kFirefoxExtensionId);
    c.restart = has(L"/restart");
    c.tray = has(L"/tray");
    c.updated = has(L"/updated");
    return c;
}

}  // namespace vonu
