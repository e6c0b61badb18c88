// The screen scale factor: LOGPIXELSX of the screen / 96, measured on first use and kept
// for the life of the process. Layout sizes are written at 96 DPI and multiplied by it.
#pragma once

namespace vonu {

double ScreenScale();

// A 96-DPI pixel size scaled to the screen, rounded to the nearest pixel.
int Scaled(int pixelsAt96Dpi);

}  // namespace vonu
