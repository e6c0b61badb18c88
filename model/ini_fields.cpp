#include "model/ini_fields.h"

namespace vonu {

int64_t ClampNumber(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

void AppendDecimal(std::wstring& out, int64_t v) {
    wchar_t buffer[24];
    wchar_t* end = buffer + 24;
    wchar_t* p = end;
    uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    do {
        *--p = static_cast<wchar_t>(L'0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *--p = L'-';
    out.append(p, end);
}

void AppendSegmentList(std::wstring& out, const std::vector<Segment>& segments) {
    for (const Segment& s : segments) {
        AppendDecimal(out, s.start);
        out.push_back(L',');
        AppendDecimal(out, s.end);
        out.push_back(L',');
        AppendDecimal(out, s.next);
        out.push_back(L';');
    }
}

namespace {

std::optional<Segment> ParseSegment(std::wstring_view piece) {
    size_t c1 = piece.find(L',');
    if (c1 == std::wstring_view::npos) return std::nullopt;
    size_t c2 = piece.find(L',', c1 + 1);
    if (c2 == std::wstring_view::npos) return std::nullopt;
    auto start = SignedWhole(piece.substr(0, c1));
    auto end = SignedWhole(piece.substr(c1 + 1, c2 - c1 - 1));
    auto next = SignedWhole(piece.substr(c2 + 1));
    if (!start || !end || !next) return std::nullopt;
    Segment s{*start, *end, *next};
    if (s.start < 0 || s.next < s.start || s.start == INT64_MAX || s.next == INT64_MAX) return std::nullopt;
    if (s.end != -1 && (s.end < s.start || s.end == INT64_MAX || s.next > s.end + 1)) return std::nullopt;
    return s;
}

}  // namespace

std::vector<Segment> ParseSegmentList(std::wstring_view text) {
    std::vector<Segment> segments;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L';', pos);
        if (end == std::wstring_view::npos) end = text.size();
        if (auto s = ParseSegment(text.substr(pos, end - pos))) segments.push_back(*s);
        pos = end + 1;
    }
    return segments;
}

}  // namespace vonu
