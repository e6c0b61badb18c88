#include "model/text_case.h"

#include <windows.h>

namespace vonu {

std::wstring LowerCase(std::wstring_view text) {
    std::wstring out(text);
    if (out.empty()) return out;
    // LCMAP_LOWERCASE maps one code unit to one, so the length never changes.
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                  out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

namespace {

wchar_t LowerAsciiLetter(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (LowerAsciiLetter(text[i]) != LowerAsciiLetter(prefix[i])) return false;
    return true;
}

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = LowerAsciiLetter(c);
    return out;
}

bool PathIsInFolder(std::wstring_view path, std::wstring_view folder) {
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() + 1) return false;
    const wchar_t separator = path[folder.size()];
    return (separator == L'\\' || separator == L'/') && EqualsNoCase(path.substr(0, folder.size()), folder);
}

}  // namespace vonu
