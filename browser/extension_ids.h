// Identifiers the browsers use for the program's extension. The Firefox identifier is the
// one in the extension's manifest and in the Firefox host manifest: change all together.
#pragma once

namespace vonu {

inline constexpr wchar_t kFirefoxExtensionId[] = L"integration@vonu.app";
inline constexpr wchar_t kChromiumOriginPrefix[] = L"chrome-extension://";

}  // namespace vonu
