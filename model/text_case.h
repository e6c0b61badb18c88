// Case rules for the ASCII-or-not texts the model compares: host names, file extensions,
// INI keys. Lower-casing uses the invariant locale, so the result does not depend on the
// user's language (a Turkish "I" stays "i").
#pragma once

#include <string>
#include <string_view>

namespace vonu {

std::wstring LowerCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail);
// ASCII letters only, for schemes and other fixed prefixes.
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
// A-Z to a-z and nothing else: for fixed keywords (device names, media types, "index").
std::wstring LowerAscii(std::wstring_view text);
// The path names something inside the folder (at any depth), as the file system compares
// names: without case. A trailing backslash of the folder does not count; the folder
// itself, "C:\Vonu2\x" for "C:\Vonu" and an empty folder are not inside.
bool PathIsInFolder(std::wstring_view path, std::wstring_view folder);

}  // namespace vonu
