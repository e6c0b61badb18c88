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

}  // namespace vonu
