// The update description (update.json) as the maker's web server publishes it, read by a
// parser of its own: a JSON object whose members `version`, `date`, `page`, `exe`,
// `sha256`, `signature` (strings), `size` (a number) and `notes_en`, `notes_ar` (arrays of
// strings) are taken; every other member is skipped. Names compare exactly.
//
// The text comes from the network, so the parser trusts nothing: values nested deeper than
// kMaxDescriptionDepth levels fail the parse (no recursion without a bound), a string that
// ends before its quote or a bad \u escape fails it, and a wrong type for a known member
// fails it. Any thread; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vonu {

// The top-level object counts as the first level.
inline constexpr int kMaxDescriptionDepth = 32;

struct UpdateDescription {
    std::wstring version;  // never empty in a parsed description
    std::wstring date;
    std::wstring page;
    std::wstring exe;
    std::wstring sha256;
    std::wstring signature;
    int64_t size = 0;  // the leading decimal digits of the raw value; 0 when there are none
    std::vector<std::wstring> notesEn;
    std::vector<std::wstring> notesAr;
};

// The description in `utf8`, or nothing when it cannot be read. A member given twice keeps
// its last value.
std::optional<UpdateDescription> ParseUpdateDescription(std::string_view utf8);

}  // namespace vonu
