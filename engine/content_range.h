// The Content-Range header of a 206 answer, "bytes FIRST-LAST/TOTAL", and whether an answer
// carries the bytes a segment asked for: a server, proxy or cache that answers with another
// range must never have its bytes written where the asked-for ones belong.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vonu {

struct ContentRange {
    int64_t first = 0;
    int64_t last = 0;    // inclusive, at least first
    int64_t total = -1;  // -1: "*", the server does not say
};

// "bytes FIRST-LAST/TOTAL" or "bytes FIRST-LAST/*" (the unit without case, blanks around the
// numbers allowed); nothing for any other form, a range that ends before it begins, or a
// total the range does not fit in.
std::optional<ContentRange> ParseContentRange(std::wstring_view value);

// The answer to a request for bytes from `next` to `end` (-1: to the end of the file) starts
// at `next` and does not go past `end`. A shorter answer fits: the rest is asked for again.
bool RangeAnswerFits(const ContentRange& range, int64_t next, int64_t end);

}  // namespace vonu
