#include "ui/toolbar_layout.h"

#include <algorithm>

namespace vonu {

std::vector<RECT> LayOutToolbar(const std::vector<ToolbarSlot>& slots, double scale) {
    auto px = [scale](int v) { return static_cast<int>(v * scale); };
    std::vector<RECT> rects;
    rects.reserve(slots.size());
    int x = px(8);
    for (const ToolbarSlot& s : slots) {
        if (s.separator) {
            rects.push_back({x + px(6), px(14), x + px(7), px(kToolbarHeight - 14)});
            x += px(13);
        } else {
            const int width = std::max(px(60), s.captionWidth + px(16));
            rects.push_back({x, px(4), x + width, px(kToolbarHeight - 4)});
            x += width + px(2);
        }
    }
    return rects;
}

RECT MirroredRect(const RECT& r, int clientWidth) {
    return {clientWidth - r.right, r.top, clientWidth - r.left, r.bottom};
}

}  // namespace vonu
