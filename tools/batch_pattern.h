// The batch address: one address with "*" where a number or a letter counts through a
// range. Pure, any thread; the dialog translates the error sentences.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vonu {

inline constexpr wchar_t kNoAsteriskError[] = L"Put an asterisk (*) in the address where the number or letter changes";
inline constexpr wchar_t kBadRangeError[] = L"Use numbers or single letters in From and To";
inline constexpr wchar_t kTooManyError[] = L"That is more than 10,000 links. Choose a smaller range.";

struct BatchExpansion {
    std::vector<std::wstring> addresses;  // at least one when error is empty
    std::wstring error;                   // one of the three sentences above
};

// Pattern, From and To are trimmed. From and To that are single ASCII letters give every
// character from the lower code to the higher; otherwise both must be ASCII digits only, at
// most 18 of them (so every value fits in 64 bits), at most 10,000 values apart, formatted
// with zeros in front up to `digits` places (read leniently, clamped to 1-9). Every "*"
// gets the same value.
BatchExpansion ExpandPattern(std::wstring_view pattern, std::wstring_view from, std::wstring_view to,
                             std::wstring_view digits);

}  // namespace vonu
