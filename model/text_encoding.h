// The two edges where text changes encoding: UTF-16 inside, UTF-8 in HTTP headers, JSON,
// playlists and FTP paths. Invalid input is replaced (U+FFFD), never rejected.
#pragma once

#include <string>
#include <string_view>

namespace vonu {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace vonu
