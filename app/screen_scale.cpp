#include "app/screen_scale.h"

#include <windows.h>

#include <cmath>

namespace vonu {

double ScreenScale() {
    static const double scale = [] {
        HDC screen = GetDC(nullptr);
        const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi / 96.0 : 1.0;
    }();
    return scale;
}

int Scaled(int pixelsAt96Dpi) { return static_cast<int>(std::lround(pixelsAt96Dpi * ScreenScale())); }

}  // namespace vonu
