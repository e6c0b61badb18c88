// The toolbar's mouse handling on a real (hidden) window: what a click sends to the parent.
#include "ui/toolbar.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/screen_scale.h"

namespace vonu {
namespace {

std::vector<int> g_commands;

LRESULT CALLBACK ParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
    return DefWindowProcW(w, message, wParam, lParam);
}

class ToolbarTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VonuToolbarTestParent";
        RegisterClassW(&wc);
        parent_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        toolbar_ = CreateToolbar(parent_, wc.hInstance, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        ASSERT_NE(toolbar_, nullptr);
        // One-letter captions: both buttons take the minimum width, 60 from x = 8 and x = 70.
        AddToolbarButton(toolbar_, 11, L"A", 0);
        AddToolbarButton(toolbar_, 12, L"B", 1);
        g_commands.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }
    static LPARAM At(int x, int y) {
        const double s = ScreenScale();
        return MAKELPARAM(static_cast<int>(x * s), static_cast<int>(y * s));
    }
    void Press(LPARAM down, LPARAM up) {
        SendMessageW(toolbar_, WM_MOUSEMOVE, 0, down);
        SendMessageW(toolbar_, WM_LBUTTONDOWN, MK_LBUTTON, down);
        SendMessageW(toolbar_, WM_LBUTTONUP, 0, up);
    }
    HWND parent_ = nullptr, toolbar_ = nullptr;
};

TEST_F(ToolbarTest, ClickOnAnEnabledButtonSendsItsCommand) {
    Press(At(30, 30), At(30, 30));
    Press(At(100, 30), At(100, 30));
    EXPECT_EQ(g_commands, (std::vector<int>{11, 12}));
}

TEST_F(ToolbarTest, PressingOnOneButtonAndReleasingOnAnotherSendsNothing) {
    Press(At(30, 30), At(100, 30));
    Press(At(30, 30), At(300, 30));  // released past the last button
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(ToolbarTest, DisabledButtonSendsNothing) {
    SetToolbarButtonEnabled(toolbar_, 12, false);
    EXPECT_FALSE(ToolbarButtonEnabled(toolbar_, 12));
    EXPECT_TRUE(ToolbarButtonEnabled(toolbar_, 11));
    Press(At(100, 30), At(100, 30));
    EXPECT_TRUE(g_commands.empty());
    SetToolbarButtonEnabled(toolbar_, 12, true);
    Press(At(100, 30), At(100, 30));
    EXPECT_EQ(g_commands, (std::vector<int>{12}));
}

}  // namespace
}  // namespace vonu
