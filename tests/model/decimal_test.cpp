// The one decimal reader: each of its four forms on the inputs that tell them apart, and the
// overflow rule of each (sizes refuse, stored values saturate).
#include "model/decimal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vonu {
namespace {

constexpr int64_t kMax = INT64_MAX;
constexpr std::nullopt_t none = std::nullopt;

struct DecimalCase {
    const wchar_t* text;
    std::optional<int64_t> digitsOnly, signedWhole, signedLeading;
};

TEST(Decimal, EachFormOnTheSameInputs) {
    const DecimalCase cases[] = {
        {L"0", 0, 0, 0},
        {L"20971520", 20971520, 20971520, 20971520},
        {L"007", 7, 7, 7},
        {L"9223372036854775807", kMax, kMax, kMax},
        {L"9223372036854775808", none, kMax, kMax},
        {L"99999999999999999999999", none, kMax, kMax},
        {L"-5", none, -5, -5},
        {L"+5", none, 5, 5},
        {L"-99999999999999999999", none, -kMax, -kMax},
        {L"", none, none, none},
        {L"-", none, none, none},
        {L" 12", none, none, 12},
        {L"\t-3 kB", none, none, -3},
        {L"12abc", none, none, 12},
        {L"12 ", none, none, 12},
        {L"abc", none, none, none},
        {L"\x0661\x0662", none, none, none},  // Arabic-Indic digits are not read as numbers
    };
    for (const DecimalCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
        EXPECT_EQ(DigitsOnly(c.text), c.digitsOnly);
        EXPECT_EQ(SignedWhole(c.text), c.signedWhole);
        EXPECT_EQ(SignedLeading(c.text), c.signedLeading);
    }
}

TEST(Decimal, DigitsAtMovesPastTheDigitsOrNotAtAll) {
    struct Case {
        const wchar_t* text;
        size_t from;
        std::optional<int64_t> value;
        size_t after;
    };
    const Case cases[] = {
        {L"213 77\r\n", 4, 77, 6},
        {L"bytes 0-99/100", 8, 99, 10},
        {L"213 ", 4, none, 4},
        {L"x-1", 1, none, 1},
        {L"/99999999999999999999", 1, none, 1},  // too big for a size: no number, position kept
        {L"12", 2, none, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
        size_t i = c.from;
        EXPECT_EQ(DigitsAt(c.text, i), c.value);
        EXPECT_EQ(i, c.after);
    }
}

}  // namespace
}  // namespace vonu
