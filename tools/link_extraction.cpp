#include "tools/link_extraction.h"

#include <windows.h>

#include <unordered_set>

#include "model/text_encoding.h"
#include "model/unique_handle.h"

namespace vonu {
namespace {

// White space as Unicode has it: what separates words in a text someone copied, also the
// no-break and ideographic spaces a web page or a word processor puts there.
bool IsSpace(wchar_t c) {
    if (c <= L' ') return c == L' ' || (c >= 9 && c <= 13);
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool EndsAddress(wchar_t c) { return IsSpace(c) || c == L'"' || c == L'\'' || c == L'<' || c == L'>'; }

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The length of the scheme with "://" that starts at i ("https://", "http://", "ftp://"),
// 0 when none. The schemes are ASCII, so comparing ASCII letters without case is the same
// as searching a lower-cased copy.
size_t SchemeAt(std::wstring_view s, size_t i) {
    auto is = [&](std::wstring_view word) {
        if (s.size() - i < word.size()) return false;
        for (size_t k = 0; k < word.size(); ++k)
            if (LowerAscii(s[i + k]) != word[k]) return false;
        return true;
    };
    if (is(L"https://")) return 8;
    if (is(L"http://")) return 7;
    if (is(L"ftp://")) return 6;
    return 0;
}

}  // namespace

std::vector<std::wstring> ExtractLinks(std::wstring_view text) {
    std::vector<std::wstring> links;
    std::unordered_set<std::wstring_view> seen;  // views into `text`, which outlives the set
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const size_t scheme = SchemeAt(text, i);
        if (!scheme) {
            ++i;
            continue;
        }
        size_t end = i + scheme;
        while (end < n && !EndsAddress(text[end])) ++end;
        size_t last = end;
        while (last > i + scheme) {
            const wchar_t c = text[last - 1];
            if (c != L',' && c != L')' && c != L'.' && c != L';') break;
            --last;
        }
        if (last > i + scheme) {
            const std::wstring_view link = text.substr(i, last - i);
            if (seen.insert(link).second) links.emplace_back(link);
        }
        i = end;
    }
    return links;
}

std::wstring DecodeTextFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        const size_t units = (bytes.size() - 2) / 2;
        std::wstring text(units, L'\0');
        for (size_t k = 0; k < units; ++k)
            text[k] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * k]) |
                                           (static_cast<unsigned char>(bytes[3 + 2 * k]) << 8));
        return text;
    }
    if (bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xEF) bytes.remove_prefix(3);
    return Utf8ToWide(bytes);
}

bool ReadTextFile(const std::wstring& path, std::wstring& text) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kLinkFileCap)
        return false;
    // One byte more than the size said: a file that grew meanwhile past the cap is refused
    // too, not cut.
    std::string bytes(static_cast<size_t>(size.QuadPart) + 1, '\0');
    size_t have = 0;
    while (have < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + have, static_cast<DWORD>(bytes.size() - have), &got, nullptr))
            return false;
        if (got == 0) break;
        have += got;
    }
    if (have > kLinkFileCap) return false;
    bytes.resize(have);
    text = DecodeTextFile(bytes);
    return true;
}

std::string ExportedListBytes(const std::vector<std::wstring>& addresses) {
    std::wstring text;
    for (const std::wstring& a : addresses) {
        text += a;
        text += L"\r\n";
    }
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

WriteResult WriteExportedList(const std::wstring& path, const std::vector<std::wstring>& addresses) {
    return WriteWholeFileBytes(path, ExportedListBytes(addresses));
}

}  // namespace vonu
