#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/localize_window.h"
#include "model/text_encoding.h"
#include "tests/support/language_scope.h"

namespace vonu {
namespace {

using test::LanguageScope;

std::wstring ItemText(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

// A context menu as the list shows it: an accelerator text, a separator, a submenu, and an
// item the table does not know.
struct TestMenu {
    HMENU menu = CreatePopupMenu();
    HMENU submenu = CreatePopupMenu();
    TestMenu() {
        AppendMenuW(menu, MF_STRING, 1, L"P&roperties\tEnter");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(submenu, MF_STRING, 3, L"&Delete\tDel");
        AppendMenuW(submenu, MF_STRING, 4, L"Queue 7");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), L"Add to &queue");
        AppendMenuW(menu, MF_STRING, 5, L"Zip &it\tCtrl+Z");
        AppendMenuW(menu, MF_STRING, 6, L"E&xit");
    }
    ~TestMenu() { DestroyMenu(menu); }  // destroys the submenu too
};

TEST(LocalizeMenu, TranslatesLabelsAndKeepsTabAndAccelerator) {
    LanguageScope arabic(true);
    TestMenu m;
    LocalizeMenu(m.menu);
    EXPECT_EQ(ItemText(m.menu, 0), L"الخصائص\tEnter");
    EXPECT_EQ(GetMenuState(m.menu, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(ItemText(m.menu, 2), L"إضافة إلى قائمة");
    EXPECT_EQ(GetSubMenu(m.menu, 2), m.submenu) << "the submenu stays attached";
    EXPECT_EQ(ItemText(m.submenu, 0), L"حذف\tDel");
    EXPECT_EQ(ItemText(m.submenu, 1), L"Queue 7");
    EXPECT_EQ(ItemText(m.menu, 3), L"Zip &it\tCtrl+Z") << "unknown text keeps its mnemonic";
    EXPECT_EQ(ItemText(m.menu, 4), L"خروج");
    EXPECT_EQ(GetMenuItemID(m.menu, 4), 6u) << "command ids are untouched";
}

TEST(LocalizeMenu, EnglishLeavesTheMenuAlone) {
    LanguageScope english(false);
    TestMenu m;
    LocalizeMenu(m.menu);
    EXPECT_EQ(ItemText(m.menu, 0), L"P&roperties\tEnter");
    EXPECT_EQ(ItemText(m.submenu, 0), L"&Delete\tDel");
}

}  // namespace
}  // namespace vonu
