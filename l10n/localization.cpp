#include "l10n/localization.h"

#include <string_view>
#include <unordered_map>

#include "l10n/language.h"
#include "l10n/translation_table.h"

namespace vonu {
namespace {

struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::wstring_view v) const { return std::hash<std::wstring_view>{}(v); }
};
struct ViewEqual {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const { return a == b; }
};

using TableMap = std::unordered_map<std::wstring_view, const wchar_t*, ViewHash, ViewEqual>;
using ResultCache = std::unordered_map<std::wstring, std::wstring, ViewHash, ViewEqual>;

// Built on the first lookup that misses the cache. Later rows overwrite earlier ones.
const TableMap& Table() {
    static const TableMap* map = [] {
        auto* m = new TableMap;
        for (const TranslationPair& pair : TranslationTable()) (*m)[pair.english] = pair.arabic;
        return m;
    }();
    return *map;
}

// Never destroyed: the pointers Translate hands out must outlive every window, also those
// that still paint while static objects are being torn down at exit.
ResultCache& Cache() {
    static ResultCache* cache = new ResultCache;
    return *cache;
}

struct Replacement {
    const wchar_t* english;
    const wchar_t* arabic;
};

// The fixed starts of the engine's messages around a path, a reason or a server's reply.
constexpr Replacement kPrefixes[] = {
    {L"Cannot create the file: ", L"تعذر إنشاء الملف: "},
    {L"Cannot open the file: ", L"تعذر فتح الملف: "},
    {L"Cannot write to disk: ", L"تعذرت الكتابة على القرص: "},
    {L"Cannot rename the finished file: ", L"تعذرت إعادة تسمية الملف المكتمل: "},
    {L"FTP server: ", L"خادم FTP: "},
    {L"The server stopped accepting resume requests (HTTP ", L"توقف الخادم عن قبول طلبات الاستئناف (HTTP "},
};

// The fixed ends of "HTTP " + status messages.
constexpr Replacement kHttpSuffixes[] = {
    {L": file not found on the server", L": الملف غير موجود على الخادم"},
    {L": access denied", L": الوصول مرفوض"},
    {L": requested range not available", L": الجزء المطلوب غير متاح"},
    {L": server error", L": خطأ في الخادم"},
};

}  // namespace

const wchar_t* Translate(const wchar_t* text) {
    if (!text || !IsArabicInterface()) return text;

    ResultCache& cache = Cache();
    if (auto hit = cache.find(std::wstring_view(text)); hit != cache.end()) return hit->second.c_str();

    std::wstring plain;
    for (const wchar_t* p = text; *p; ++p)
        if (*p != L'&') plain += *p;
    const size_t first = plain.find_first_not_of(L' ');
    if (first == std::wstring::npos) return text;
    const size_t last = plain.find_last_not_of(L' ');

    const TableMap& table = Table();
    const auto row = table.find(std::wstring_view(plain).substr(first, last - first + 1));
    if (row == table.end()) return text;

    std::wstring result = plain.substr(0, first) + row->second + plain.substr(last + 1);
    return cache.emplace(text, std::move(result)).first->second.c_str();
}

std::wstring TranslateMessageText(const std::wstring& text) {
    if (!IsArabicInterface() || text.empty()) return text;

    const wchar_t* whole = Translate(text.c_str());
    if (whole != text.c_str()) return whole;

    const std::wstring_view view(text);
    for (const Replacement& prefix : kPrefixes) {
        if (view.starts_with(prefix.english))
            return prefix.arabic + text.substr(std::wstring_view(prefix.english).size());
    }
    if (view.starts_with(L"HTTP ")) {
        for (const Replacement& suffix : kHttpSuffixes) {
            const size_t at = text.find(suffix.english);
            if (at != std::wstring::npos) return text.substr(0, at) + suffix.arabic;
        }
    }
    return text;
}

}  // namespace vonu
