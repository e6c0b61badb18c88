// Pixel sizes of the windows are written at 96 DPI; on screen they are multiplied by the
// screen scale factor and truncated to whole pixels.
#pragma once

#include "ui/screen_scale.h"

namespace vonu {

inline int Px(double pixelsAt96Dpi) { return static_cast<int>(pixelsAt96Dpi * ScreenScale()); }

}  // namespace vonu
