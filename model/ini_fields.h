// Field tables: each INI file describes its stored keys once, as rows of key, record member
// and load clamp, and both its loader and its writer walk the same rows. The default of a
// row is what the record holds before the walk (its member initialiser, or what the
// loader put there first); rules that are more than a clamp stay as steps of the loader.
//
// File forms shared by every table: text as it is (every CR, LF and NUL written as a
// space), flags "1" or "0", numbers in decimal, a segment list as "start,end,next;" per
// segment.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "model/decimal.h"
#include "model/download_types.h"
#include "model/ini_file.h"

namespace vonu {

template <class R>
using IniMember = std::variant<std::wstring R::*, bool R::*, int32_t R::*, uint32_t R::*, int64_t R::*,
                               DownloadState R::*, std::vector<Segment> R::*>;

template <class R>
struct IniField {
    const wchar_t* key;
    IniMember<R> member;
    int64_t lo = INT64_MIN;  // a stored number loads clamped into lo..hi
    int64_t hi = INT64_MAX;
    // Text kept in another form in the file (a protected password); null: as it is.
    std::wstring (*encode)(std::wstring_view) = nullptr;
    std::wstring (*decode)(std::wstring_view) = nullptr;
};

int64_t ClampNumber(int64_t v, int64_t lo, int64_t hi);
void AppendDecimal(std::wstring& out, int64_t v);
void AppendSegmentList(std::wstring& out, const std::vector<Segment>& segments);
// Pieces that are not three numbers forming a sane range are dropped: a range that would
// send a connection to a negative offset or past its own end could corrupt the file.
std::vector<Segment> ParseSegmentList(std::wstring_view text);

// The member's value in its file form, without the key.
template <class R>
void AppendIniValue(std::wstring& out, const R& r, const IniField<R>& f) {
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(r.*member)>;
            const T& v = r.*member;
            if constexpr (std::is_same_v<T, std::wstring>) {
                out.append(f.encode ? f.encode(v) : v);
            } else if constexpr (std::is_same_v<T, bool>) {
                out.push_back(v ? L'1' : L'0');
            } else if constexpr (std::is_same_v<T, std::vector<Segment>>) {
                AppendSegmentList(out, v);
            } else {
                AppendDecimal(out, static_cast<int64_t>(v));
            }
        },
        f.member);
}

// "key=value" and CR LF.
template <class R>
void AppendIniField(std::wstring& out, const R& r, const IniField<R>& f) {
    if (const auto* text = std::get_if<std::wstring R::*>(&f.member); text && !f.encode) {
        AppendIniLine(out, f.key, r.**text);
        return;
    }
    out.append(f.key);
    out.push_back(L'=');
    const size_t start = out.size();
    AppendIniValue(out, r, f);
    for (size_t i = start; i < out.size(); ++i)
        if (out[i] == L'\r' || out[i] == L'\n' || out[i] == L'\0') out[i] = L' ';
    out.append(L"\r\n");
}

template <class R, size_t N>
void AppendIniFields(std::wstring& out, const R& r, const IniField<R> (&table)[N]) {
    for (const IniField<R>& f : table) AppendIniField(out, r, f);
}

// Reads one stored value into the member, by the rules of the files the program rewrites
// whole: a flag is true only for exactly "1"; a number must fill the value (else the member
// keeps its value) and is clamped; a state is a clamped number.
template <class R>
void ReadIniValue(R& r, const IniField<R>& f, std::wstring_view text) {
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(r.*member)>;
            T& v = r.*member;
            if constexpr (std::is_same_v<T, std::wstring>) {
                v = f.decode ? f.decode(text) : std::wstring(text);
            } else if constexpr (std::is_same_v<T, bool>) {
                v = text == L"1";
            } else if constexpr (std::is_same_v<T, std::vector<Segment>>) {
                v = ParseSegmentList(text);
            } else if (auto n = SignedWhole(text)) {
                v = static_cast<T>(ClampNumber(*n, f.lo, f.hi));
            }
        },
        f.member);
}

// Every key of the table the section holds; absent keys leave their member as it was.
template <class R, size_t N>
void ReadIniFields(R& r, const IniSection& section, const IniField<R> (&table)[N]) {
    for (const IniField<R>& f : table)
        if (auto text = section.Find(f.key)) ReadIniValue(r, f, *text);
}

}  // namespace vonu
