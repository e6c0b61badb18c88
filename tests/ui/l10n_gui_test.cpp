// Windows on the shared desktop: message boxes in both languages, driven as a user would
// (Escape, Enter, the close box), and the translation and mirroring of a dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/shell_open.h"
#include "model/text_encoding.h"
#include "tests/support/dialog_template.h"
#include "tests/support/language_scope.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_helpers.h"

namespace vonu {
namespace {

using namespace vonu::test;

std::string Show(std::wstring_view text) { return WideToUtf8(text); }

// Runs a modal box on a thread of its own, so the test thread can find and drive it.
class BoxThread {
public:
    explicit BoxThread(std::function<int()> show)
        : worker_([this, show] {
              thread_ = GetCurrentThreadId();
              result_ = show();
          }) {}
    ~BoxThread() {
        if (!Finished(0)) {
            // A box the test could not close: press every button it may have so the thread ends.
            if (HWND box = WaitForThreadDialog(thread_, 1000))
                for (int id : {IDNO, IDOK, IDCANCEL, IDYES})
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
        }
        worker_.join();
    }
    HWND Box() {
        WaitUntil(2000, [&] { return thread_ != 0; });
        return WaitForThreadDialog(thread_, 5000);
    }
    DWORD thread() const { return thread_; }
    bool Finished(DWORD milliseconds) {
        return WaitUntil(milliseconds, [&] { return result_ != kRunning; });
    }
    int result() const { return result_; }

private:
    static constexpr int kRunning = -12345;
    std::atomic<DWORD> thread_{0};
    std::atomic<int> result_{kRunning};
    std::thread worker_;
};

// Texts of the box's direct children (Wine builds task dialogs from plain controls).
std::wstring AllChildTexts(HWND box) {
    std::wstring all;
    for (HWND child : ChildWindows(box)) all += WindowText(child) + L"\n";
    return all;
}

HWND ChildWithText(HWND box, const std::wstring& text) {
    for (HWND child : ChildWindows(box))
        if (WindowText(child) == text) return child;
    return nullptr;
}

constexpr wchar_t kQuestion[] = L"Delete this queue?\nIts files move to the default queue.";
constexpr wchar_t kQuestionArabic[] = L"هل تريد حذف هذه القائمة؟\nستنتقل ملفاتها إلى القائمة الافتراضية.";

int AskArabic(UINT type) { return ShowMessageBox(nullptr, kQuestion, L"Delete queue", type); }

TEST(ArabicMessageBox, YesNoQuestionIsRightToLeftWithArabicButtons) {
    LanguageScope arabic(true);
    BoxThread run([] { return AskArabic(MB_YESNO | MB_ICONQUESTION); });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr) << "no task dialog appeared";
    EXPECT_EQ(WindowText(box), L"حذف القائمة");
    EXPECT_TRUE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    if (RunningUnderWine()) {
        EXPECT_EQ(WindowText(GetDlgItem(box, IDYES)), L"نعم");
        EXPECT_NE(ChildWithText(box, L"لا"), nullptr);
        EXPECT_NE(AllChildTexts(box).find(kQuestionArabic), std::wstring::npos) << Show(AllChildTexts(box));
    }
    PressKey(run.thread(), box, VK_RETURN);  // the first button is the default
    ASSERT_TRUE(run.Finished(5000));
    EXPECT_EQ(run.result(), IDYES);
}

TEST(ArabicMessageBox, YesNoAnsweredWithTheNoButton) {
    if (!RunningUnderWine()) GTEST_SKIP() << "Windows draws task dialog buttons without child windows";
    LanguageScope arabic(true);
    BoxThread run([] { return AskArabic(MB_YESNO | MB_ICONQUESTION); });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr);
    HWND no = ChildWithText(box, L"لا");
    ASSERT_NE(no, nullptr);
    PostMessageW(no, BM_CLICK, 0, 0);
    ASSERT_TRUE(run.Finished(5000));
    EXPECT_EQ(run.result(), IDNO);
}

TEST(ArabicMessageBox, YesNoClosedWithEscapeAnswersNo) {
    LanguageScope arabic(true);
    BoxThread run([] { return AskArabic(MB_YESNO | MB_ICONQUESTION); });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr);
    PressKey(run.thread(), box, VK_ESCAPE);
    ASSERT_TRUE(run.Finished(5000)) << "Escape did not close the question";
    EXPECT_EQ(run.result(), IDNO);
}

TEST(ArabicMessageBox, YesNoClosedWithTheCloseBoxAnswersNo) {
    LanguageScope arabic(true);
    BoxThread run([] { return AskArabic(MB_YESNO | MB_ICONWARNING); });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(run.Finished(5000)) << "the close box did not close the question";
    EXPECT_EQ(run.result(), IDNO);
}

TEST(ArabicMessageBox, OkCancelKeysAndButtons) {
    LanguageScope arabic(true);
    const struct {
        UINT type;
        WPARAM key;
        int result;
    } cases[] = {
        {MB_OKCANCEL | MB_ICONQUESTION, VK_ESCAPE, IDCANCEL},
        {MB_OKCANCEL | MB_ICONWARNING, VK_RETURN, IDOK},
        // Wine's task dialog ignores TDF_ALLOW_DIALOG_CANCELLATION, so an OK box is confirmed
        // here with Enter only; on Windows Escape closes it too and also answers IDOK.
        {MB_OK | MB_ICONERROR, VK_RETURN, IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        BoxThread run([type = c.type] { return AskArabic(type); });
        HWND box = run.Box();
        ASSERT_NE(box, nullptr);
        if (RunningUnderWine()) {
            EXPECT_EQ(WindowText(GetDlgItem(box, IDOK)), L"موافق");
            EXPECT_EQ(GetDlgItem(box, IDCANCEL) != nullptr, (c.type & MB_TYPEMASK) == MB_OKCANCEL);
            if (HWND cancel = GetDlgItem(box, IDCANCEL)) {
                EXPECT_EQ(WindowText(cancel), L"إلغاء");
            }
        }
        PressKey(run.thread(), box, c.key);
        ASSERT_TRUE(run.Finished(5000));
        EXPECT_EQ(run.result(), c.result);
    }
}

TEST(ArabicMessageBox, WithoutTaskDialogFallsBackToATranslatedMessageBox) {
    LanguageScope arabic(true);
    BoxThread run(
        [] { return ShowArabicMessageBox(nullptr, kQuestion, L"Delete queue", MB_OKCANCEL, nullptr); });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"حذف القائمة");
    EXPECT_NE(AllChildTexts(box).find(kQuestionArabic), std::wstring::npos) << Show(AllChildTexts(box));
    PressKey(run.thread(), box, VK_ESCAPE);
    ASSERT_TRUE(run.Finished(5000));
    EXPECT_EQ(run.result(), IDCANCEL);
}

TEST(EnglishMessageBox, OpeningAMissingFileSaysSo) {
    LanguageScope english(false);
    TempFolder folder;
    const std::wstring missing = folder.File(L"moved away.zip");
    BoxThread run([&] { return OpenFile(missing) ? 1 : 0; });
    HWND box = run.Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Vonu Download Manager");
    EXPECT_NE(AllChildTexts(box).find(L"Cannot open this file. It may have been moved or deleted."),
              std::wstring::npos)
        << Show(AllChildTexts(box));
    PressKey(run.thread(), box, VK_RETURN);
    ASSERT_TRUE(run.Finished(5000));
    EXPECT_EQ(run.result(), 0);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Placement {
    HWND child;
    LONG leadingGap;  // from the client edge the layout starts at
    LONG top;
};

// Each child's distance from the client area's left edge (left to right) or right edge (mirrored).
std::vector<Placement> Placements(HWND dialog) {
    WINDOWINFO info{};
    info.cbSize = sizeof info;
    GetWindowInfo(dialog, &info);
    const bool mirrored = GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL;
    std::vector<Placement> out;
    for (HWND child : ChildWindows(dialog)) {
        RECT r{};
        GetWindowRect(child, &r);
        out.push_back({child, mirrored ? info.rcClient.right - r.right : r.left - info.rcClient.left,
                       r.top - info.rcClient.top});
    }
    return out;
}

class DialogFixture : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
    }
    HWND Create(const DialogTemplate& t) {
        dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr, PlainDialogProc, 0);
        return dialog_;
    }
    HWND dialog_ = nullptr;
};

TEST_F(DialogFixture, LocalizeWindowTranslatesButtonsAndStaticsOnly) {
    LanguageScope arabic(true);
    HWND dialog = Create(NewDownloadTemplate());
    ASSERT_NE(dialog, nullptr);
    LocalizeWindow(dialog);
    EXPECT_EQ(WindowText(dialog), L"تحميل جديد");
    const struct {
        int id;
        const wchar_t* text;
        bool rtlReading;
    } expected[] = {
        {100, L"الرابط", true},
        {101, L"https://example.com/files/setup.zip", false},  // an edit box: not ours to change
        {102, L"الفئة", true},
        {107, L"غير معروف", true},
        {108, L"إضافة الملف إلى هذه القائمة", true},
        {IDOK, L"تحميل الآن", true},
        {109, L"حفظ لوقت لاحق", true},
        {IDCANCEL, L"إلغاء", true},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.id);
        HWND item = GetDlgItem(dialog, e.id);
        EXPECT_EQ(WindowText(item), e.text) << Show(WindowText(item));
        EXPECT_EQ((GetWindowLongPtrW(item, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0, e.rtlReading);
    }
}

TEST_F(DialogFixture, MirrorsOnceKeepingEachChildsDistanceFromTheLeadingEdge) {
    LanguageScope arabic(true);
    DialogTemplate t(L"Scheduler", 240, 120,
                     {
                         {L"Static", L"Start download at", 1, 8, 8, 80, 10, SS_LEFT},
                         {L"SysDateTimePick32", L"", 2, 100, 6, 80, 14, 0x0009 /* DTS_TIMEFORMAT */},
                         {L"SysListView32", L"", 3, 8, 30, 150, 60, LVS_REPORT},
                         {L"Button", L"Apply", 4, 170, 100, 60, 14, BS_PUSHBUTTON},
                     });
    HWND dialog = Create(t);
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, 3);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 100;
    column.pszText = const_cast<wchar_t*>(L"File Name");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ASSERT_FALSE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    const std::vector<Placement> before = Placements(dialog);

    LocalizeWindow(dialog);
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    const std::vector<Placement> after = Placements(dialog);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(Show(WindowClass(before[i].child)));
        EXPECT_NEAR(after[i].leadingGap, before[i].leadingGap, 1);
        EXPECT_EQ(after[i].top, before[i].top);
    }
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, 1), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(dialog, 2), GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        << "date picker stays";
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(header, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);

    // Localizing again (a dialog that calls it twice) must not mirror the children back.
    LocalizeWindow(dialog);
    const std::vector<Placement> again = Placements(dialog);
    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(Show(WindowClass(before[i].child)));
        EXPECT_EQ(again[i].leadingGap, after[i].leadingGap);
    }
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 4)), L"تطبيق");
}

TEST_F(DialogFixture, EnglishLeavesTheDialogAsItIs) {
    LanguageScope english(false);
    HWND dialog = Create(NewDownloadTemplate());
    ASSERT_NE(dialog, nullptr);
    const std::vector<Placement> before = Placements(dialog);
    LocalizeWindow(dialog);
    EXPECT_EQ(WindowText(dialog), L"New Download");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"&Download Now");
    EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    const std::vector<Placement> after = Placements(dialog);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].leadingGap, before[i].leadingGap);
}

}  // namespace
}  // namespace vonu
