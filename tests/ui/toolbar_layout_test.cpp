#include "ui/toolbar_layout.h"

#include <gtest/gtest.h>

namespace vonu {
namespace {

TEST(ToolbarLayout, ButtonsAndSeparatorsAt100Percent) {
    const std::vector<ToolbarSlot> slots = {{false, 30}, {false, 70}, {true, 0}, {false, 10}};
    const auto r = LayOutToolbar(slots, 1.0);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].left, 8);
    EXPECT_EQ(r[0].right, 68) << "at least 60 wide";
    EXPECT_EQ(r[0].top, 4);
    EXPECT_EQ(r[0].bottom, 68);
    EXPECT_EQ(r[1].left, 70);
    EXPECT_EQ(r[1].right, 70 + 86) << "caption + 16";
    EXPECT_EQ(r[2].left, 158 + 6);
    EXPECT_EQ(r[2].right, 158 + 7);
    EXPECT_EQ(r[2].top, 14);
    EXPECT_EQ(r[2].bottom, 58);
    EXPECT_EQ(r[3].left, 158 + 13);
}

TEST(ToolbarLayout, At200PercentButtonsAreAtLeast120Wide) {
    const auto r = LayOutToolbar({{false, 40}, {false, 200}}, 2.0);
    EXPECT_EQ(r[0].right - r[0].left, 120);
    EXPECT_EQ(r[1].right - r[1].left, 232);
    EXPECT_EQ(r[0].bottom, 144 - 8) << "the bar is 144 high";
}

TEST(ToolbarLayout, MirroringPutsTheFirstButtonAtTheRightEdge) {
    const auto r = LayOutToolbar({{false, 10}}, 1.0);
    const RECT m = MirroredRect(r[0], 1000);
    EXPECT_EQ(m.right, 1000 - 8);
    EXPECT_EQ(m.left, 1000 - 68);
    EXPECT_EQ(m.top, r[0].top);
}

}  // namespace
}  // namespace vonu
