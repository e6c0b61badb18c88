#include "ui/modeless_dialogs.h"

#include <algorithm>
#include <vector>

namespace vonu {
namespace {

std::vector<HWND>& Dialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

}  // namespace

void AddModelessDialog(HWND dialog) {
    auto& d = Dialogs();
    if (std::find(d.begin(), d.end(), dialog) == d.end()) d.push_back(dialog);
}

void RemoveModelessDialog(HWND dialog) {
    auto& d = Dialogs();
    d.erase(std::remove(d.begin(), d.end(), dialog), d.end());
}

void CloseModelessDialogs() {
    const std::vector<HWND> open = Dialogs();  // each one takes itself out as it is destroyed
    for (HWND dialog : open)
        if (IsWindow(dialog)) DestroyWindow(dialog);
    Dialogs().clear();
}

bool HandleModelessDialogMessage(MSG& message) {
    if (!message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    const auto& d = Dialogs();
    if (!root || std::find(d.begin(), d.end(), root) == d.end()) return false;
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace vonu
