#pragma once

namespace vonu {

inline constexpr wchar_t kVersion[] = L"1.2.0";

}  // namespace vonu
