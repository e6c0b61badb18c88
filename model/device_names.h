// Windows' reserved device names (CON, PRN, AUX, NUL, COM0-9, LPT0-9): a file or folder of
// that name, with any extension, opens the device instead. Compared without regard to case.
#pragma once

#include <string_view>

namespace vonu {

// `base` is the part of a name before its first dot, trailing spaces removed.
bool IsDeviceName(std::wstring_view base);

}  // namespace vonu
