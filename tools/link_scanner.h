// Finds the links of a web page in its raw bytes: every href or src attribute whose value
// is quoted, the way a browser's markup reads them. One linear pass over the bytes, never a
// backtracking regular expression: a page is outside input, and an inline image of a few
// kilobytes must cost what its length costs, not the thread's stack. Pure, any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vonu {

// Calls `found` with the value of each attribute, in page order: "href" or "src" in any
// letter case, anywhere in the text (also inside a longer word), optional blanks (space,
// tab, line feed, vertical tab, form feed, carriage return), "=", optional blanks, a single
// or double quote, then one or more bytes up to the first quote, "<", ">", "#" or the end.
// The search goes on after the value. `found` returns false to stop the scan.
void ScanPageLinks(std::string_view page, const std::function<bool(std::string_view value)>& found);

// A captured value as browsers take it: blanks trimmed at both ends, tab, carriage return
// and line feed removed inside.
std::string CleanLinkValue(std::string_view value);

}  // namespace vonu
