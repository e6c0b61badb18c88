#include "engine/naming.h"

#include <windows.h>
#include <shlwapi.h>

#include <mutex>
#include <unordered_set>

#include "model/decimal.h"
#include "model/device_names.h"
#include "model/download_manager.h"
#include "model/text_case.h"
#include "model/text_encoding.h"

namespace vonu {

namespace {

bool Invisible(wchar_t c) {
    return (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

bool Reserved(wchar_t c) {
    return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' ||
           c == L'\\' || c == L'|' || c == L'?' || c == L'*';
}

void TrimTrailingDotsAndSpaces(std::wstring& s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'.')) s.pop_back();
}

bool TakenOnDisk(const std::wstring& candidate) {
    return PathFileExistsW(candidate.c_str()) || PathFileExistsW((candidate + kTempSuffix).c_str()) ||
           PathFileExistsW((candidate + kPartsSuffix).c_str());
}

// The key two paths share exactly when EqualsNoCase calls them equal: the ordinal
// comparison that ignores case compares the upper-case forms.
std::wstring CaseKey(std::wstring_view path) {
    std::wstring out(path);
    if (!out.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), static_cast<int>(path.size()), out.data(),
                      static_cast<int>(out.size()), nullptr, nullptr, 0);
    return out;
}

bool TakenInListLocked(const DownloadManager& m, const std::wstring& candidate, int32_t ownId) {
    for (const auto& item : m.downloads)
        if (item->id != ownId && !item->path.empty() && EqualsNoCase(item->path, candidate)) return true;
    return false;
}

}  // namespace

bool IsPlaylistAddress(const std::wstring& address) {
    const std::wstring a = address.substr(0, address.find_first_of(L"?#"));
    return a.size() >= 6 && EndsWithNoCase(a, L".m3u8");
}

std::wstring NameFromAddress(const std::wstring& address) {
    std::wstring a = address.substr(0, address.find_first_of(L"?#"));
    size_t scheme = a.find(L"://");
    if (scheme != std::wstring::npos) {
        size_t path = a.find(L'/', scheme + 3);
        if (path == std::wstring::npos) return {};
        a = a.substr(path);
    }
    return DecodeName(a.substr(a.rfind(L'/') + 1));  // npos + 1 == 0: the whole text
}

std::wstring DecodeName(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else if (c == L'+') {
            bytes += ' ';
        } else if (c >= 128) {
            size_t n = (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                        text[i + 1] <= 0xDFFF)
                           ? 2
                           : 1;
            bytes += WideToUtf8(std::wstring_view(text).substr(i, n));
            i += n - 1;
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return Utf8ToWide(bytes);
}

std::wstring RepairName(const std::wstring& text) {
    bool high = false;
    for (wchar_t c : text) {
        if (c >= 256) return text;
        high = high || c >= 128;
    }
    if (!high) return text;
    std::string bytes(text.begin(), text.end());  // each character is one byte
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return text;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        out.data(), n);
    return out;
}

std::wstring NameFromContentDisposition(const std::wstring& value) {
    size_t star = value.find(L"filename*=");
    if (star != std::wstring::npos) {
        std::wstring v = value.substr(star + 10);
        v = v.substr(0, v.find(L';'));
        size_t quotes = v.find(L"''");
        if (quotes != std::wstring::npos) v = v.substr(quotes + 2);
        while (!v.empty() && (v.back() == L'"' || v.back() == L' ')) v.pop_back();
        if (!v.empty()) return DecodeName(v);
    }
    size_t plain = value.find(L"filename=");
    if (plain == std::wstring::npos) return {};
    std::wstring v = value.substr(plain + 9);
    if (!v.empty() && v[0] == L'"') {
        v = v.substr(1);
        v = v.substr(0, v.find(L'"'));
    } else {
        v = v.substr(0, v.find(L';'));
    }
    while (!v.empty() && v.back() == L' ') v.pop_back();
    return RepairName(DecodeName(v));
}

std::wstring SanitizeFileName(const std::wstring& name) {
    std::wstring s;
    s.reserve(name.size());
    for (wchar_t c : name) {
        if (Invisible(c)) continue;
        s += Reserved(c) ? L'_' : c;
    }
    TrimTrailingDotsAndSpaces(s);
    s.erase(0, s.find_first_not_of(L' ') == std::wstring::npos ? s.size() : s.find_first_not_of(L' '));

    if (s.size() > 200) {
        size_t dot = s.rfind(L'.');
        std::wstring ext = (dot != std::wstring::npos && s.size() - dot <= 11) ? s.substr(dot) : L"";
        size_t keep = 200 - ext.size();
        // Never cut a surrogate pair in half.
        if (keep > 0 && s[keep - 1] >= 0xD800 && s[keep - 1] <= 0xDBFF) --keep;
        std::wstring head = s.substr(0, keep);
        // Windows drops trailing dots and spaces: a name must not end in them.
        if (ext.empty()) TrimTrailingDotsAndSpaces(head);
        s = head + ext;
    }

    // Device names: Windows treats "NUL.txt" and "nul.tar.gz" alike, so the part before the
    // first dot decides.
    std::wstring base = s.substr(0, s.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    if (IsDeviceName(base)) s.insert(s.begin(), L'_');

    if (s.empty()) s = L"download";
    return s;
}

std::wstring UniquePath(DownloadManager& m, const std::wstring& path, int32_t ownId,
                        const std::function<void(const std::wstring&)>& claimLocked) {
    const size_t dot = path.rfind(L'.');
    const size_t slash = path.rfind(L'\\');
    const bool hasExt = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    const std::wstring stem = hasExt ? path.substr(0, dot) : path;
    const std::wstring ext = hasExt ? path.substr(dot) : L"";
    // The list's paths that could be one of the candidates, case-folded, read once: a list
    // of many same-named files (get.php?id=1, 2, ...) would otherwise cost a scan of the list
    // under the lock and three disk checks for every name tried. The disk is asked only
    // about names the list does not hold, and the lock is taken again only to confirm one.
    std::unordered_set<std::wstring> listed;
    {
        std::lock_guard guard(m.lock);
        for (const auto& item : m.downloads)
            if (item->id != ownId && item->path.size() >= stem.size() &&
                EqualsNoCase(std::wstring_view(item->path).substr(0, stem.size()), stem))
                listed.insert(CaseKey(item->path));
    }
    for (uint64_t n = 1;; ++n) {
        std::wstring candidate = n == 1 ? path : stem + L" (" + std::to_wstring(n) + L")" + ext;
        if (listed.count(CaseKey(candidate)) || TakenOnDisk(candidate)) continue;
        std::lock_guard guard(m.lock);
        if (TakenInListLocked(m, candidate, ownId)) continue;  // added since the set was read
        if (claimLocked) claimLocked(candidate);
        return candidate;
    }
}

}  // namespace vonu
