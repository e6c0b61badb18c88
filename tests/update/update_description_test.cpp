// The update description parser against what a hostile or broken server can send: cut
// texts, deep nesting, huge inputs, wrong types, escapes and surrogate pairs, a byte-order
// mark, duplicate members and \u0000.
#include <gtest/gtest.h>

#include <string>

#include "model/text_encoding.h"
#include "update/update_description.h"

namespace vonu {
namespace {

std::string Show(const std::string& text) { return text.size() > 80 ? text.substr(0, 80) + "..." : text; }

TEST(UpdateDescription, ReadsEveryKnownMember) {
    const auto d = ParseUpdateDescription(R"( {"version":"1.3.0", "date" : "2026-12-01",
          "page":"https://vonu.app/r", "exe":"https://vonu.app/Vonu.exe",
          "sha256":"AB", "signature":"c2ln", "size": 4096 ,
          "notes_en":["one","two"], "notes_ar":["واحد"]} )");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->version, L"1.3.0");
    EXPECT_EQ(d->date, L"2026-12-01");
    EXPECT_EQ(d->page, L"https://vonu.app/r");
    EXPECT_EQ(d->exe, L"https://vonu.app/Vonu.exe");
    EXPECT_EQ(d->sha256, L"AB");
    EXPECT_EQ(d->signature, L"c2ln");
    EXPECT_EQ(d->size, 4096);
    EXPECT_EQ(d->notesEn, (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(d->notesAr, (std::vector<std::wstring>{L"\u0648\u0627\u062D\u062F"}));
}

TEST(UpdateDescription, RefusesWhatCannotBeRead) {
    const std::string good = R"({"version":"1.3.0","size":5})";
    struct Case {
        const char* name;
        std::string text;
    } const cases[] = {
        {"empty", ""},
        {"not an object", R"(["version","1.3.0"])"},
        {"no version", R"({"size":5})"},
        {"empty version", R"({"version":""})"},
        {"cut before the closing brace", good.substr(0, good.size() - 1)},
        {"cut inside a string", R"({"version":"1.3)"},
        {"cut after a backslash", R"({"version":"1.3\)"},
        {"cut inside \\u", R"({"version":"1\u00)"},
        {"bad \\u digit", R"({"version":"1\u00G1.3"})"},
        {"bad digit in the low half of a pair", R"({"version":"1","date":"\uD83D\uDEZ0"})"},
        {"version is a number", R"({"version":1.3})"},
        {"exe is an array", R"({"version":"1","exe":["https://x/"]})"},
        {"notes are a string", R"({"version":"1","notes_en":"new"})"},
        {"a note is a number", R"({"version":"1","notes_en":["a",2]})"},
        {"notes never end", R"({"version":"1","notes_en":["a")"},
        {"a member without a colon", R"({"version" "1"})"},
        {"a comma too many", R"({"version":"1",})"},
        {"a scalar that runs to the end", R"({"version":"1","x":true)"},
        // A byte-order mark is not white space: the text must start with "{".
        {"byte-order mark", "\xEF\xBB\xBF" + good},
        {"unknown member cut inside its object", R"({"version":"1","x":{"a":[1,2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ParseUpdateDescription(c.text).has_value()) << Show(c.text);
    }
}

TEST(UpdateDescription, NestingIsCappedInsteadOfRecursingWithoutBound) {
    // 262 KiB of "[" under an unknown member: once a crash at every check.
    const std::string brackets = R"({"version":"1.3.0","x":)" + std::string(262144, '[');
    EXPECT_FALSE(ParseUpdateDescription(brackets).has_value());
    const std::string braces = R"({"version":"1.3.0","x":)" + [] {
        std::string s;
        for (int i = 0; i < 40000; ++i) s += R"({"a":)";
        return s;
    }();
    EXPECT_FALSE(ParseUpdateDescription(braces).has_value());

    // The top-level object is level 1: values may nest down to level 32, not 33.
    auto nested = [](int levels) {  // `levels` arrays below the object
        return R"({"version":"1.3.0","x":)" + std::string(levels, '[') + std::string(levels, ']') + "}";
    };
    EXPECT_TRUE(ParseUpdateDescription(nested(kMaxDescriptionDepth - 1)).has_value());
    EXPECT_FALSE(ParseUpdateDescription(nested(kMaxDescriptionDepth)).has_value());
}

TEST(UpdateDescription, UnknownMembersAreSkippedWithoutDisturbingTheKnownOnes) {
    const auto d = ParseUpdateDescription(R"({
        "first": {"version": "0.0.1", "list": [1, {"exe": "http://evil/"}, "]}", null], "t": true},
        "version": "1.3.0",
        "between": [[], {}, [[["x"]]], -1.5e3, false],
        "size": 77,
        "last": "a \"quoted\" } ] , text"
    })");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->version, L"1.3.0");
    EXPECT_EQ(d->exe, L"");
    EXPECT_EQ(d->size, 77);
}

// An invalid UTF-8 sequence becomes one U+FFFD or one per byte, depending on the system's
// converter: count a run of them as one.
std::wstring Collapsed(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text)
        if (c != L'\uFFFD' || out.empty() || out.back() != L'\uFFFD') out += c;
    return out;
}

TEST(UpdateDescription, StringEscapes) {
    struct Case {
        const char* name;
        std::string raw;        // between the quotes of "date"
        std::wstring expected;  // as parsed
    } const cases[] = {
        {"line feed and tab", R"(a\nb\tc)", L"a\nb\tc"},
        {"\\b \\f \\r are dropped", R"(a\bb\fc\rd)", L"abcd"},
        {"quote, backslash, slash", R"(\"\\\/)", L"\"\\/"},
        {"any other escaped character stands for itself", R"(\x\q)", L"xq"},
        {"\\u in either case", R"(\u00e9\u00C9)", L"\u00E9\u00C9"},
        {"surrogate pair", R"(\uD83D\uDE00)", L"\U0001F600"},
        {"high half followed by another escape", R"(\uD83Dx)", L"\uFFFDx"},
        {"high half followed by a non-surrogate \\u", R"(\uD83D\u0041)", L"\uFFFDA"},
        {"lone low half", R"(\uDE00)", L"\uFFFD"},
        {"raw UTF-8", "caf\xC3\xA9", L"caf\u00E9"},
        {"invalid UTF-8 is replaced",
         "a\xFF"
         "b",
         L"a\uFFFDb"},
        {"\\u0000 is kept as a character", R"(a\u0000b)", std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = ParseUpdateDescription(R"({"version":"1","date":")" + c.raw + R"("})");
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(Collapsed(d->date), c.expected);
    }
}

TEST(UpdateDescription, SizeIsTheLeadingIntegerOfTheRawValue) {
    struct Case {
        const char* raw;
        int64_t expected;
    } const cases[] = {
        {"33", 33},
        {" 33 ", 33},
        {"-7", -7},
        {"12.9", 12},
        {"1e3", 1},
        {"\"33\"", 0},  // a string reads as 0, and the description is then refused as unsigned
        {"true", 0},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},  // past 63 bits saturates (and is then not signed)
        {"-9223372036854775808", -INT64_MAX},
        {"+5", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        const auto d = ParseUpdateDescription(std::string(R"({"version":"1","size":)") + c.raw + "}");
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->size, c.expected);
    }
}

TEST(UpdateDescription, AMemberGivenTwiceKeepsItsLastValue) {
    const auto d = ParseUpdateDescription(
        R"({"version":"9.9.9","size":1,"notes_en":["a"],"version":"1.3.0","size":2,"notes_en":["b","c"]})");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->version, L"1.3.0");
    EXPECT_EQ(d->size, 2);
    EXPECT_EQ(d->notesEn, (std::vector<std::wstring>{L"b", L"c"}));
}

TEST(UpdateDescription, NamesCompareExactly) {
    const auto d = ParseUpdateDescription(R"({"version":"1","Exe":"https://x/","SIZE":5,"exe ":"y"})");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->exe, L"");
    EXPECT_EQ(d->size, 0);
}

TEST(UpdateDescription, AHugeDescriptionIsReadInOnePass) {
    std::string notes = "[";
    for (int i = 0; i < 20000; ++i) notes += std::string(i ? "," : "") + "\"line " + std::to_string(i) + "\"";
    notes += "]";
    const auto d = ParseUpdateDescription(R"({"version":"1.3.0","notes_en":)" + notes + "}");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->notesEn.size(), 20000u);
    EXPECT_EQ(d->notesEn.back(), L"line 19999");
}

}  // namespace
}  // namespace vonu
