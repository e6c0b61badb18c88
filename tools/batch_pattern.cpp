#include "tools/batch_pattern.h"

#include <algorithm>
#include <cstdint>

#include "model/decimal.h"
#include "ui/dialog_controls.h"

namespace vonu {
namespace {

constexpr int64_t kMostLinks = 10000;
constexpr size_t kMostDigits = 18;

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::optional<int64_t> RangeNumber(std::wstring_view text) {
    if (text.empty() || text.size() > kMostDigits) return std::nullopt;
    return DigitsOnly(text);  // ASCII digits only: no sign, no blanks, no other scripts' digits
}

std::wstring Padded(int64_t value, int digits) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < static_cast<size_t>(digits)) text.insert(0, digits - text.size(), L'0');
    return text;
}

std::wstring WithValue(std::wstring_view pattern, std::wstring_view value) {
    std::wstring out;
    out.reserve(pattern.size() + value.size() * 2);
    for (wchar_t c : pattern) {
        if (c == L'*')
            out += value;
        else
            out += c;
    }
    return out;
}

}  // namespace

BatchExpansion ExpandPattern(std::wstring_view patternText, std::wstring_view fromText, std::wstring_view toText,
                             std::wstring_view digitsText) {
    BatchExpansion result;
    const std::wstring pattern = TrimBlanks(patternText);
    const std::wstring from = TrimBlanks(fromText);
    const std::wstring to = TrimBlanks(toText);
    const int digits = static_cast<int>(std::clamp<int64_t>(SignedLeading(digitsText).value_or(0), 1, 9));
    if (pattern.find(L'*') == std::wstring::npos) {
        result.error = kNoAsteriskError;
        return result;
    }
    if (from.size() == 1 && to.size() == 1 && IsAsciiLetter(from[0]) && IsAsciiLetter(to[0])) {
        const wchar_t low = std::min(from[0], to[0]), high = std::max(from[0], to[0]);
        for (wchar_t c = low; c <= high; ++c) result.addresses.push_back(WithValue(pattern, std::wstring(1, c)));
        return result;
    }
    std::optional<int64_t> a = RangeNumber(from), b = RangeNumber(to);
    if (!a || !b) {
        result.error = kBadRangeError;
        return result;
    }
    const int64_t low = std::min(*a, *b), high = std::max(*a, *b);
    if (high - low >= kMostLinks) {
        result.error = kTooManyError;
        return result;
    }
    result.addresses.reserve(static_cast<size_t>(high - low + 1));
    for (int64_t v = low; v <= high; ++v) result.addresses.push_back(WithValue(pattern, Padded(v, digits)));
    return result;
}

}  // namespace vonu
