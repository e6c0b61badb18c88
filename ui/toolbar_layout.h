// Where the toolbar's entries go, in unmirrored client coordinates (all lengths at 96 DPI
// times `scale`): from x = 8, a separator takes 13 (a 1-pixel line 6 in, 14 from the top and
// bottom), a button the larger of 60 and its caption's width + 16, plus a gap of 2; buttons
// run from 4 below the top to 4 above the bottom of the 72-high bar.
#pragma once

#include <windows.h>

#include <vector>

namespace vonu {

inline constexpr int kToolbarHeight = 72;  // at 96 DPI

struct ToolbarSlot {
    bool separator = false;
    int captionWidth = 0;  // pixels, as measured in the caption font
};

std::vector<RECT> LayOutToolbar(const std::vector<ToolbarSlot>& slots, double scale);

// The entry's rectangle as drawn on an unmirrored surface of the given width in a
// right-to-left window: reflected about the middle.
RECT MirroredRect(const RECT& r, int clientWidth);

}  // namespace vonu
