#include "model/decimal.h"

#include <cwctype>

namespace vonu {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The digits at text[i], i moved past all of them; `overflowed` when the value passed
// INT64_MAX (the value is then INT64_MAX). Nothing when there is no digit at i.
std::optional<int64_t> ReadDigits(std::wstring_view text, size_t& i, bool& overflowed) {
    const size_t begin = i;
    int64_t value = 0;
    overflowed = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - L'0';
        if (overflowed || value > (INT64_MAX - digit) / 10) {
            overflowed = true;
            value = INT64_MAX;
        } else {
            value = value * 10 + digit;
        }
    }
    if (i == begin) return std::nullopt;
    return value;
}

// Sign and digits from text[i]; saturating.
std::optional<int64_t> SignedFrom(std::wstring_view text, size_t& i) {
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    bool overflowed = false;
    const std::optional<int64_t> value = ReadDigits(text, i, overflowed);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

}  // namespace

std::optional<int64_t> DigitsAt(std::wstring_view text, size_t& i) {
    size_t at = i;
    bool overflowed = false;
    const std::optional<int64_t> value = ReadDigits(text, at, overflowed);
    if (!value || overflowed) return std::nullopt;
    i = at;
    return value;
}

std::optional<int64_t> DigitsOnly(std::wstring_view text) {
    size_t i = 0;
    const std::optional<int64_t> value = DigitsAt(text, i);
    return value && i == text.size() ? value : std::nullopt;
}

std::optional<int64_t> SignedWhole(std::wstring_view text) {
    size_t i = 0;
    const std::optional<int64_t> value = SignedFrom(text, i);
    return value && i == text.size() ? value : std::nullopt;
}

std::optional<int64_t> SignedLeading(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    return SignedFrom(text, i);
}

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace vonu
