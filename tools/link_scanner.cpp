#include "tools/link_scanner.h"

namespace vonu {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsValueEnd(char c) { return c == '"' || c == '\'' || c == '<' || c == '>' || c == '#'; }

// The length of the keyword ("href" or "src", any case) that starts at i; 0 when none does.
size_t KeywordAt(std::string_view s, size_t i) {
    auto is = [&](std::string_view word) {
        if (s.size() - i < word.size()) return false;
        for (size_t k = 0; k < word.size(); ++k)
            if (Lower(s[i + k]) != word[k]) return false;
        return true;
    };
    if (is("href")) return 4;
    if (is("src")) return 3;
    return 0;
}

}  // namespace

void ScanPageLinks(std::string_view page, const std::function<bool(std::string_view value)>& found) {
    const size_t n = page.size();
    size_t i = 0;
    while (i < n) {
        const char c = Lower(page[i]);
        if (c != 'h' && c != 's') {
            ++i;
            continue;
        }
        const size_t keyword = KeywordAt(page, i);
        if (!keyword) {
            ++i;
            continue;
        }
        // From here every step only moves forward; a failed attempt resumes at the letter
        // after the keyword's first, as a search for the leftmost match does. Blanks and the
        // "=" cannot begin another keyword, so nothing is read twice but those few letters.
        size_t j = i + keyword;
        while (j < n && IsBlank(page[j])) ++j;
        if (j >= n || page[j] != '=') {
            ++i;
            continue;
        }
        ++j;
        while (j < n && IsBlank(page[j])) ++j;
        if (j >= n || (page[j] != '"' && page[j] != '\'')) {
            ++i;
            continue;
        }
        const size_t start = ++j;
        while (j < n && !IsValueEnd(page[j])) ++j;
        if (j == start) {
            ++i;
            continue;
        }
        if (!found(page.substr(start, j - start))) return;
        i = j;
    }
}

std::string CleanLinkValue(std::string_view value) {
    size_t first = 0, last = value.size();
    while (first < last && IsBlank(value[first])) ++first;
    while (last > first && IsBlank(value[last - 1])) --last;
    std::string out;
    out.reserve(last - first);
    for (size_t k = first; k < last; ++k)
        if (value[k] != '\t' && value[k] != '\r' && value[k] != '\n') out += value[k];
    return out;
}

}  // namespace vonu
