// printf-style formatting of the program's texts, with the Windows meaning of the
// conversions: in a wide format "%s" takes a wide string (wchar_t*). The C library's
// std::swprintf under mingw-w64 reads "%s" as a narrow string, so translated formats go
// through this helper, never through std::swprintf. Use the same arguments for the English
// format and its translation; the table keeps their placeholders in step.
#pragma once

#include <string>

namespace vonu {

// The formatted text; empty if the format is null or the result would pass 1 MiB characters.
std::wstring FormatText(const wchar_t* format, ...);

}  // namespace vonu
