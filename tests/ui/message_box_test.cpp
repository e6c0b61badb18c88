// What the Arabic message box asks the task dialog for, and how its answer is read. A small
// recording function stands in for TaskDialogIndirect here (the real one is driven on the
// desktop in l10n_gui_test), because flags and icons are not visible from outside the box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/message_box.h"
#include "tests/support/language_scope.h"

namespace vonu {
namespace {

struct Recorded {
    DWORD flags = 0;
    std::wstring title, content;
    PCWSTR icon = nullptr;
    std::vector<std::pair<int, std::wstring>> buttons;
    int defaultButton = 0;
};
Recorded g_seen;
int g_answer = 0;
HRESULT g_outcome = S_OK;

HRESULT WINAPI RecordingTaskDialog(const TASKDIALOGCONFIG* c, int* pressed, int*, BOOL*) {
    g_seen = {};
    g_seen.flags = c->dwFlags;
    g_seen.title = c->pszWindowTitle;
    g_seen.content = c->pszContent;
    g_seen.icon = c->pszMainIcon;
    for (UINT i = 0; i < c->cButtons; ++i)
        g_seen.buttons.emplace_back(c->pButtons[i].nButtonID, c->pButtons[i].pszButtonText);
    g_seen.defaultButton = c->nDefaultButton;
    if (pressed) *pressed = g_answer;
    return g_outcome;
}

int Ask(UINT type, int answer) {
    g_answer = answer;
    g_outcome = S_OK;
    return ShowArabicMessageBox(nullptr, L"Delete this queue?\nIts files move to the default queue.",
                                L"Delete queue", type, RecordingTaskDialog);
}

TEST(ArabicMessageBoxConfig, TranslatedRightToLeftWithArabicButtons) {
    test::LanguageScope arabic(true);
    Ask(MB_YESNO | MB_ICONQUESTION, IDYES);
    EXPECT_EQ(g_seen.title, L"حذف القائمة");
    EXPECT_EQ(g_seen.content, L"هل تريد حذف هذه القائمة؟\nستنتقل ملفاتها إلى القائمة الافتراضية.");
    EXPECT_TRUE(g_seen.flags & TDF_RTL_LAYOUT);
    EXPECT_TRUE(g_seen.flags & TDF_POSITION_RELATIVE_TO_WINDOW);
    EXPECT_FALSE(g_seen.flags & TDF_ALLOW_DIALOG_CANCELLATION);
    ASSERT_EQ(g_seen.buttons.size(), 2u);
    EXPECT_EQ(g_seen.buttons[0], (std::pair<int, std::wstring>{IDYES, L"نعم"}));
    EXPECT_EQ(g_seen.buttons[1].second, L"لا");
    EXPECT_EQ(g_seen.defaultButton, IDYES);

    Ask(MB_OKCANCEL, IDOK);
    EXPECT_TRUE(g_seen.flags & TDF_ALLOW_DIALOG_CANCELLATION);
    ASSERT_EQ(g_seen.buttons.size(), 2u);
    EXPECT_EQ(g_seen.buttons[0], (std::pair<int, std::wstring>{IDOK, L"موافق"}));
    EXPECT_EQ(g_seen.buttons[1], (std::pair<int, std::wstring>{IDCANCEL, L"إلغاء"}));
    EXPECT_EQ(g_seen.defaultButton, IDOK);

    Ask(MB_OK, IDOK);
    EXPECT_TRUE(g_seen.flags & TDF_ALLOW_DIALOG_CANCELLATION);
    ASSERT_EQ(g_seen.buttons.size(), 1u);
    EXPECT_EQ(g_seen.buttons[0], (std::pair<int, std::wstring>{IDOK, L"موافق"}));
}

TEST(ArabicMessageBoxConfig, IconsFollowTheWholeIconField) {
    test::LanguageScope arabic(true);
    const struct {
        UINT icon;
        PCWSTR expected;
    } cases[] = {
        {MB_ICONERROR, TD_ERROR_ICON},
        {MB_ICONWARNING, TD_WARNING_ICON},  // 0x30 also has MB_ICONERROR's bit
        {MB_ICONINFORMATION, TD_INFORMATION_ICON},
        {MB_ICONQUESTION, TD_INFORMATION_ICON},
        {0, TD_INFORMATION_ICON},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.icon);
        Ask(MB_OK | c.icon, IDOK);
        EXPECT_EQ(g_seen.icon, c.expected);
    }
}

TEST(ArabicMessageBoxConfig, ClosingWithoutAButtonReadsAsTheSafeAnswer) {
    test::LanguageScope arabic(true);
    EXPECT_EQ(Ask(MB_YESNO, IDYES), IDYES);
    EXPECT_EQ(Ask(MB_YESNO, IDCANCEL), IDNO);  // the No button, Escape or the close box
    EXPECT_EQ(Ask(MB_OKCANCEL, IDCANCEL), IDCANCEL);
    EXPECT_EQ(Ask(MB_OKCANCEL, IDOK), IDOK);
    EXPECT_EQ(Ask(MB_OK, IDCANCEL), IDOK);  // as MessageBoxW answers an OK box closed with Escape
}

}  // namespace
}  // namespace vonu
