// Expanding the batch address: ranges of numbers and letters, padding, the cap, bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/batch_pattern.h"

namespace vonu {
namespace {

constexpr wchar_t kPattern[] = L"https://example.com/files/part*.zip";

TEST(BatchPattern, Ranges) {
    const struct {
        std::wstring from, to, digits;
        std::vector<std::wstring> values;  // what replaces "*", in order
    } cases[] = {
        {L"1", L"3", L"2", {L"01", L"02", L"03"}},
        {L"10", L"8", L"1", {L"8", L"9", L"10"}},
        {L" 1 ", L"\t2\r\n", L"", {L"1", L"2"}},
        {L"7", L"7", L"3", {L"007"}},
        {L"1000", L"1000", L"3", {L"1000"}},
        {L"5", L"5", L"0", {L"5"}},
        {L"5", L"5", L"15", {L"000000005"}},
        {L"5", L"5", L"x", {L"5"}},
        {L"2147483647", L"2147483649", L"1", {L"2147483647", L"2147483648", L"2147483649"}},
        {L"999999999999999999", L"999999999999999998", L"1", {L"999999999999999998", L"999999999999999999"}},
        {L"a", L"e", L"3", {L"a", L"b", L"c", L"d", L"e"}},
        {L"Z", L"X", L"", {L"X", L"Y", L"Z"}},
        {L"E", L"a", L"", {L"E", L"F", L"G", L"H", L"I", L"J", L"K", L"L", L"M", L"N", L"O", L"P", L"Q", L"R", L"S",
                           L"T", L"U", L"V", L"W", L"X", L"Y", L"Z", L"[", L"\\", L"]", L"^", L"_", L"`", L"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + L" .. " + c.to + L" / " + c.digits);
        const BatchExpansion e = ExpandPattern(kPattern, c.from, c.to, c.digits);
        ASSERT_EQ(e.error, L"");
        std::vector<std::wstring> want;
        for (const std::wstring& v : c.values) want.push_back(L"https://example.com/files/part" + v + L".zip");
        EXPECT_EQ(e.addresses, want);
    }
}

TEST(BatchPattern, Refusals) {
    const struct {
        std::wstring pattern, from, to, error;
    } cases[] = {
        {L"", L"1", L"2", kNoAsteriskError},
        {L"   ", L"1", L"2", kNoAsteriskError},
        {L"https://example.com/a.zip", L"1", L"2", kNoAsteriskError},
        {kPattern, L"", L"2", kBadRangeError},
        {kPattern, L"1a", L"2", kBadRangeError},
        {kPattern, L"-1", L"2", kBadRangeError},
        {kPattern, L"+1", L"2", kBadRangeError},
        {kPattern, L"1 2", L"3", kBadRangeError},
        {kPattern, L"\x0661", L"\x0663", kBadRangeError},  // Arabic-Indic digits
        {kPattern, L"\x00E9", L"z", kBadRangeError},       // letters are ASCII only
        {kPattern, L"aa", L"b", kBadRangeError},
        {kPattern, L"a", L"5", kBadRangeError},
        {kPattern, L"1", L"1000000000000000000", kBadRangeError},  // 19 digits
        {kPattern, L"1", L"12345678901234567890", kBadRangeError},
        {kPattern, L"0", L"10000", kTooManyError},
        {kPattern, L"2147483648", L"2147493648", kTooManyError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + L" | " + c.from + L" .. " + c.to);
        const BatchExpansion e = ExpandPattern(c.pattern, c.from, c.to, L"1");
        EXPECT_EQ(e.error, c.error);
        EXPECT_TRUE(e.addresses.empty());
    }
}

TEST(BatchPattern, TenThousandAndEveryAsterisk) {
    const BatchExpansion e = ExpandPattern(kPattern, L"1", L"10000", L"1");
    ASSERT_EQ(e.addresses.size(), 10000u);
    EXPECT_EQ(e.addresses.back(), L"https://example.com/files/part10000.zip");

    const BatchExpansion two = ExpandPattern(L"http://h/*/x*.bin", L"3", L"3", L"2");
    EXPECT_EQ(two.addresses, std::vector<std::wstring>{L"http://h/03/x03.bin"});

    const std::wstring long_pattern = L"http://h/" + std::wstring(2048, L'p') + L"*";
    const BatchExpansion big = ExpandPattern(long_pattern, L"a", L"b", L"1");
    ASSERT_EQ(big.addresses.size(), 2u);
    EXPECT_EQ(big.addresses[1], L"http://h/" + std::wstring(2048, L'p') + L"b");
}

}  // namespace
}  // namespace vonu
