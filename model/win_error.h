// The system's own sentence for a Win32 error code, without the trailing line break.
#pragma once

#include <cstdint>
#include <string>

namespace vonu {

std::wstring SystemErrorText(uint32_t code);

}  // namespace vonu
