// The compiled-in table: every key present in its place, every Arabic value usable, and the
// printf placeholders of each pair in step (a translation with a different placeholder list
// would read the wrong argument types when formatted).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "l10n/about_text.h"
#include "l10n/translation_table.h"
#include "model/version.h"
#include "model/text_encoding.h"

namespace vonu {
namespace {

const wchar_t* const kExpectedKeys[] = {
#include "tests/l10n/translation_keys.inc"
};

std::string Show(const wchar_t* text) { return WideToUtf8(text ? text : L"(null)"); }

// The conversions of a printf format in order ("%d", "%.1f", "%%", "%lld"...), and the
// numbered places "%1", "%2"... A '%' that does not start a valid conversion is reported as
// "<bad>", so a broken format never compares equal to a good one.
std::vector<std::wstring> Placeholders(std::wstring_view format) {
    std::vector<std::wstring> found;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        // "%1" ... "%9" alone (not a width: no digit, letter or ".digit" after it) is a
        // numbered place that the program fills by text replacement; it counts as itself.
        if (i + 1 < format.size() && format[i + 1] >= L'1' && format[i + 1] <= L'9') {
            const std::wstring_view rest = format.substr(i + 2);
            const bool widthFollows = !rest.empty() && (iswalnum(rest[0]) || (rest[0] == L'.' && rest.size() > 1 &&
                                                                               iswdigit(rest[1])));
            if (!widthFollows) {
                found.emplace_back(format.substr(i, 2));
                ++i;
                continue;
            }
        }
        size_t j = i + 1;
        while (j < format.size() && std::wstring_view(L"-+ #0").find(format[j]) != std::wstring_view::npos)
            ++j;
        while (j < format.size() && iswdigit(format[j])) ++j;
        if (j < format.size() && format[j] == L'.') {
            ++j;
            while (j < format.size() && iswdigit(format[j])) ++j;
        }
        while (j < format.size() && std::wstring_view(L"hlLzjtI").find(format[j]) != std::wstring_view::npos)
            ++j;
        if (j < format.size() &&
            std::wstring_view(L"diouxXeEfgGcsSp%").find(format[j]) != std::wstring_view::npos) {
            found.emplace_back(format.substr(i, j - i + 1));
            i = j;
        } else {
            found.emplace_back(L"<bad>");
        }
    }
    return found;
}

TEST(TranslationTable, HoldsEveryKeyInItsOrder) {
    const auto table = TranslationTable();
    ASSERT_EQ(table.size(), std::size(kExpectedKeys));
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + Show(kExpectedKeys[i]));
        EXPECT_EQ(std::wstring(table[i].english), kExpectedKeys[i]);
    }
}

TEST(TranslationTable, KeysAreStoredAsTheLookupSearchesThem) {
    for (const TranslationPair& pair : TranslationTable()) {
        SCOPED_TRACE(Show(pair.english));
        const std::wstring key = pair.english;
        ASSERT_FALSE(key.empty());
        EXPECT_EQ(key.find(L'&'), std::wstring::npos);
        EXPECT_NE(key.front(), L' ');
        EXPECT_NE(key.back(), L' ');
    }
}

TEST(TranslationTable, EveryArabicValueIsArabicAndNotEmpty) {
    for (const TranslationPair& pair : TranslationTable()) {
        SCOPED_TRACE(Show(pair.english));
        ASSERT_NE(pair.arabic, nullptr);
        const std::wstring value = pair.arabic;
        ASSERT_FALSE(value.empty());
        EXPECT_NE(value, pair.english);
        bool arabicLetter = false;
        for (wchar_t c : value) arabicLetter |= (c >= 0x0600 && c <= 0x06FF);
        EXPECT_TRUE(arabicLetter) << Show(pair.arabic);
        EXPECT_EQ(value.find(L'&'), std::wstring::npos);
        // The product is always "ڤونو" in Arabic, never the Latin name.
        EXPECT_EQ(value.find(L"Vonu"), std::wstring::npos) << Show(pair.arabic);
        if (std::wstring_view(pair.english).find(L"Vonu") != std::wstring_view::npos) {
            EXPECT_NE(value.find(L"ڤونو"), std::wstring::npos) << Show(pair.arabic);
        }
    }
}

TEST(TranslationTable, PlaceholdersMatchInCountTypeAndOrder) {
    for (const TranslationPair& pair : TranslationTable()) {
        SCOPED_TRACE(Show(pair.english) + " -> " + Show(pair.arabic));
        const auto english = Placeholders(pair.english);
        for (const std::wstring& p : english) EXPECT_NE(p, L"<bad>");
        EXPECT_EQ(Placeholders(pair.arabic), english);
    }
}

TEST(TranslationTable, PlaceholderReaderCatchesMismatches) {
    EXPECT_NE(Placeholders(L"%d of %s"), Placeholders(L"%s of %d"));
    EXPECT_NE(Placeholders(L"(%.1f%% done)"), Placeholders(L"(%.1f% done)"));
    EXPECT_NE(Placeholders(L"%lld sec"), Placeholders(L"%d sec"));
    EXPECT_NE(Placeholders(L"%d, %d"), Placeholders(L"%d"));
    EXPECT_EQ(Placeholders(L"(%.1f%% done)"), (std::vector<std::wstring>{L"%.1f", L"%%"}));
    // Numbered places keep their numbers and order; a width before a conversion is no place.
    EXPECT_EQ(Placeholders(L"between %1 and %2."), (std::vector<std::wstring>{L"%1", L"%2"}));
    EXPECT_NE(Placeholders(L"between %1 and %2."), Placeholders(L"between %2 and %1."));
    EXPECT_EQ(Placeholders(L"%5d and %2.1f"), (std::vector<std::wstring>{L"%5d", L"%2.1f"}));
}

TEST(TranslationTable, FileFiltersKeepTheirPatterns) {
    // "Name (*.x)|*.x||": the parts after each name are patterns the file dialog matches.
    for (const TranslationPair& pair : TranslationTable()) {
        const std::wstring english = pair.english;
        if (english.find(L'|') == std::wstring::npos) continue;
        SCOPED_TRACE(Show(pair.english));
        const std::wstring arabic = pair.arabic;
        std::vector<std::wstring> e, a;
        for (size_t s = 0, n; (n = english.find(L'|', s)) != std::wstring::npos; s = n + 1)
            e.push_back(english.substr(s, n - s));
        for (size_t s = 0, n; (n = arabic.find(L'|', s)) != std::wstring::npos; s = n + 1)
            a.push_back(arabic.substr(s, n - s));
        ASSERT_EQ(a.size(), e.size());
        for (size_t i = 1; i < e.size(); i += 2) EXPECT_EQ(a[i], e[i]);
    }
}

TEST(TranslationTable, RepeatedKeysCarryTheSameArabic) {
    std::map<std::wstring, std::wstring> seen;
    std::set<std::wstring> repeated;
    for (const TranslationPair& pair : TranslationTable()) {
        auto [it, fresh] = seen.emplace(pair.english, pair.arabic);
        if (fresh) continue;
        repeated.insert(pair.english);
        EXPECT_EQ(it->second, pair.arabic) << Show(pair.english);
    }
    EXPECT_EQ(repeated, (std::set<std::wstring>{L"Category", L"File types"}));
}

TEST(TranslationTable, GivenRowsReadAsWritten) {
    const std::map<std::wstring, std::wstring> given = {
        {L"Vonu Download Manager", L"ڤونو - مدير التحميل"},
        {L"Queues", L"قوائم الانتظار"},
        {L"Scanning", L"جارٍ الفحص"},
        {L"Default queue", L"القائمة الافتراضية"},
        {L"Cancel", L"إلغاء"},
        {L"Sun", L"أحد"},
        {L"Sat", L"سبت"},
    };
    std::map<std::wstring, std::wstring> table;
    for (const TranslationPair& pair : TranslationTable()) table[pair.english] = pair.arabic;
    for (const auto& [english, arabic] : given) EXPECT_EQ(table[english], arabic) << Show(english.c_str());
}

TEST(TranslationTable, AboutTextNamesThisVersion) {
    EXPECT_NE(std::wstring_view(kAboutText).find(kVersion), std::wstring_view::npos);
    for (const TranslationPair& pair : TranslationTable()) {
        if (std::wstring_view(pair.english) == kAboutText) {
            EXPECT_NE(std::wstring_view(pair.arabic).find(kVersion), std::wstring_view::npos);
        }
    }
}

}  // namespace
}  // namespace vonu
