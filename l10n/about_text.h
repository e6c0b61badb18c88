// The About box's text. The first part is translated like every other text; the copyright
// line after it is the same in both languages.
#pragma once

namespace vonu {

inline constexpr wchar_t kAboutText[] =
    L"Vonu Download Manager, version 1.2.0\nFast downloads over several connections that resume where they stopped.";
inline constexpr wchar_t kAboutCopyright[] = L"Copyright \u00A9 2026 Vonu";

}  // namespace vonu
