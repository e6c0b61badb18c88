#include "engine/content_range.h"

#include <climits>

#include "model/decimal.h"

namespace vonu {
namespace {

void SkipBlanks(std::wstring_view s, size_t& i) {
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
}

// Decimal digits at i between optional blanks; nothing past 63 bits.
std::optional<int64_t> Number(std::wstring_view s, size_t& i) {
    SkipBlanks(s, i);
    const std::optional<int64_t> v = DigitsAt(s, i);
    SkipBlanks(s, i);
    return v;
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::wstring_view value) {
    size_t i = 0;
    SkipBlanks(value, i);
    constexpr std::wstring_view unit = L"bytes";
    if (value.size() - i < unit.size()) return std::nullopt;
    for (size_t k = 0; k < unit.size(); ++k)
        if ((value[i + k] | 0x20) != unit[k]) return std::nullopt;
    i += unit.size();
    if (i >= value.size() || (value[i] != L' ' && value[i] != L'\t')) return std::nullopt;
    ContentRange r;
    const auto first = Number(value, i);
    if (!first || i >= value.size() || value[i++] != L'-') return std::nullopt;
    const auto last = Number(value, i);
    if (!last || i >= value.size() || value[i++] != L'/') return std::nullopt;
    SkipBlanks(value, i);
    if (i < value.size() && value[i] == L'*') {
        ++i;
        SkipBlanks(value, i);
    } else {
        const auto total = Number(value, i);
        if (!total) return std::nullopt;
        r.total = *total;
    }
    if (i != value.size()) return std::nullopt;
    r.first = *first;
    r.last = *last;
    if (r.last < r.first || (r.total >= 0 && r.last >= r.total)) return std::nullopt;
    return r;
}

bool RangeAnswerFits(const ContentRange& range, int64_t next, int64_t end) {
    return range.first == next && (end < 0 || range.last <= end);
}

}  // namespace vonu
