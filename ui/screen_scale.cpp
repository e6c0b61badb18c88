#include "ui/screen_scale.h"

#include <windows.h>

#include <cmath>

#include "ui/gdi_handles.h"

namespace vonu {

double ScreenScale() {
    static const double scale = [] {
        const WindowDc screen(nullptr);
        const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
        return dpi > 0 ? dpi / 96.0 : 1.0;
    }();
    return scale;
}

int Scaled(int pixelsAt96Dpi) { return static_cast<int>(std::lround(pixelsAt96Dpi * ScreenScale())); }

}  // namespace vonu
