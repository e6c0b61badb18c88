// The Content-Range of a 206 answer and whether it carries the bytes a segment asked for.
#include "engine/content_range.h"

#include <gtest/gtest.h>

namespace vonu {
namespace {

TEST(ContentRange, ParsesTheSingleRangeFormOnly) {
    struct Case {
        const wchar_t* value;
        bool ok;
        int64_t first, last, total;
    } const cases[] = {
        {L"bytes 0-99/100", true, 0, 99, 100},
        {L"bytes 100-199/*", true, 100, 199, -1},
        {L"Bytes  5 - 9 / 10 ", true, 5, 9, 10},
        {L"bytes 0-0/1", true, 0, 0, 1},
        {L"bytes 4294967296-8589934591/8589934592", true, 4294967296LL, 8589934591LL, 8589934592LL},
        {L"", false, 0, 0, 0},
        {L"bytes */100", false, 0, 0, 0},         // the form of a 416 answer
        {L"bytes 0-99", false, 0, 0, 0},
        {L"bytes 99-0/100", false, 0, 0, 0},      // ends before it begins
        {L"bytes 0-100/100", false, 0, 0, 0},     // past the total it names
        {L"bytes -1-99/100", false, 0, 0, 0},
        {L"bytes 0-99/100, 200-299/300", false, 0, 0, 0},
        {L"items 0-99/100", false, 0, 0, 0},
        {L"bytes0-99/100", false, 0, 0, 0},
        {L"bytes 0-99999999999999999999/*", false, 0, 0, 0},  // past 63 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.value, c.value + wcslen(c.value)));
        const auto r = ParseContentRange(c.value);
        ASSERT_EQ(r.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(r->first, c.first);
        EXPECT_EQ(r->last, c.last);
        EXPECT_EQ(r->total, c.total);
    }
}

TEST(ContentRange, AnAnswerFitsWhenItStartsAtTheAskedByteAndStaysInside) {
    EXPECT_TRUE(RangeAnswerFits({100, 199, 1000}, 100, 199));
    EXPECT_TRUE(RangeAnswerFits({100, 149, 1000}, 100, 199)) << "shorter: the rest is asked for again";
    EXPECT_TRUE(RangeAnswerFits({100, 999, 1000}, 100, -1)) << "an open request takes any end";
    EXPECT_FALSE(RangeAnswerFits({0, 99, 1000}, 100, 199)) << "from byte 0";
    EXPECT_FALSE(RangeAnswerFits({101, 200, 1000}, 100, 199)) << "the right length, another start";
    EXPECT_FALSE(RangeAnswerFits({100, 200, 1000}, 100, 199)) << "past the asked end";
}

}  // namespace
}  // namespace vonu
