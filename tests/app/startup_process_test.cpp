// Start-up behaviour of the real Vonu.exe, driven from a second process under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/resource.h"
#include "model/data_folder.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::MainWindows;
using test::Process;
using test::StartVonu;
using test::WaitForMainWindow;
using test::WaitUntil;

constexpr DWORD kStartTime = 30000;  // a cold Wine start of a GUI program can take seconds

class Startup : public testing::Test {
protected:
    void SetUp() override {
        settings_ = SettingsPath(DataFolder());
        DeleteFileW(settings_.c_str());
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
    }
    void TearDown() override {
        for (Process* p : {&first_, &second_}) {
            if (!p->started()) continue;
            for (HWND w : MainWindows(p->id())) PostMessageW(w, WM_COMMAND, ID_APP_EXIT, 0);
            if (!p->WaitExit(10000)) p->Kill();
        }
        DeleteFileW(settings_.c_str());
    }
    void WriteSettings(const std::wstring& lines) { test::WriteUtf16File(settings_, L"[Main]\r\n" + lines); }

    // Starts the first instance and waits for its main window.
    HWND StartFirst(const std::wstring& args = L"") {
        first_ = StartVonu(args);
        EXPECT_TRUE(first_.started());
        HWND w = WaitForMainWindow(first_.id(), kStartTime);
        EXPECT_NE(w, nullptr) << "the main window with the VonuMainWindow property appears";
        return w;
    }
    static void Exit(HWND window, const Process& p) {
        PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);  // as the setup program closes Vonu
        DWORD code = 1;
        EXPECT_TRUE(p.WaitExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }

    std::wstring settings_;
    Process first_, second_;
};

TEST_F(Startup, SecondStartRestoresTheFirstWindowAndExits) {
    HWND first = StartFirst();
    ASSERT_NE(first, nullptr);
    // The window can be found a moment before start-up shows it.
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(first) != 0; }));
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsIconic(first) != 0; }));

    second_ = StartVonu(L"");
    ASSERT_TRUE(second_.started());
    bool onlyOneWindow = true;
    DWORD code = 1;
    bool ended = WaitUntil(kStartTime, [&] {
        if (MainWindows().size() != 1) onlyOneWindow = false;
        return second_.WaitExit(0, &code);
    });
    ASSERT_TRUE(ended) << "the second instance exits";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(onlyOneWindow) << "the second instance never made a main window";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsIconic(first) && IsWindowVisible(first); }))
        << "the first window is restored";
    EXPECT_EQ(GetForegroundWindow(), first);
    Exit(first, first_);
}

TEST_F(Startup, RestartWaitsForTheOldInstanceToExit) {
    HWND first = StartFirst();
    ASSERT_NE(first, nullptr);
    second_ = StartVonu(L"/restart");
    ASSERT_TRUE(second_.started());
    EXPECT_FALSE(second_.WaitExit(2000)) << "with /restart the new instance waits";
    EXPECT_EQ(WaitForMainWindow(second_.id(), 0), nullptr);

    Exit(first, first_);
    HWND second = WaitForMainWindow(second_.id(), kStartTime);
    ASSERT_NE(second, nullptr) << "once the old instance is gone, the new one starts";
    Exit(second, second_);
}

// Stopping every download can take longer than 20 s (a remux, a read that ends only at its
// 30 s time-out): a "/restart" instance keeps waiting on the mutex, up to 120 s, and goes on
// as soon as the old one has gone. (Giving up at the bound is checked in-process, with a
// short bound, in single_instance_test.cpp.)
TEST_F(Startup, RestartKeepsWaitingPastTwentySecondsForAnOldInstanceThatIsSlowToEnd) {
    HWND first = StartFirst();
    ASSERT_NE(first, nullptr);
    second_ = StartVonu(L"/restart");
    ASSERT_TRUE(second_.started());
    EXPECT_FALSE(second_.WaitExit(25000)) << "still waiting after 25 s";
    EXPECT_EQ(WaitForMainWindow(second_.id(), 0), nullptr);
    EXPECT_EQ(MainWindows().size(), 1u);

    const ULONGLONG exited = GetTickCount64();
    Exit(first, first_);
    HWND second = WaitForMainWindow(second_.id(), kStartTime);
    ASSERT_NE(second, nullptr) << "once the old instance is gone, the new one starts";
    EXPECT_LT(GetTickCount64() - exited, 20000u) << "at once, not at the end of its wait";
    Exit(second, second_);
}

TEST_F(Startup, TrayStartIsHiddenOnlyWhenMinimiseToTrayIsOn) {
    HWND hidden = StartFirst(L"/tray");
    ASSERT_NE(hidden, nullptr);
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(hidden)) << "MinToTray is on by default";
    Exit(hidden, first_);

    WriteSettings(L"MinToTray=0\r\n");
    HWND shown = StartFirst(L"/tray");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(shown) != 0; }));
    Exit(shown, first_);
}

TEST_F(Startup, BrowserOriginRunsTheHostAndNothingElse) {
    HWND running = StartFirst();
    ASSERT_NE(running, nullptr);
    ShowWindow(running, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsIconic(running) != 0; }));

    second_ = StartVonu(L"/tray chrome-extension://abcdefghijklmnopabcdefghijklmnop/");
    ASSERT_TRUE(second_.started());
    DWORD code = 1;
    ASSERT_TRUE(second_.WaitExit(kStartTime, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(IsIconic(running)) << "host mode takes no mutex and brings nothing forward";
    EXPECT_EQ(MainWindows().size(), 1u);
    Exit(running, first_);
}

TEST_F(Startup, LanguageSettingChoosesTheLayoutDirection) {
    struct Case {
        const wchar_t* settings;
        bool mirrored;
    } const cases[] = {{L"Language=ar\r\n", true}, {L"Language=en\r\n", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mirrored ? "ar" : "en");
        WriteSettings(c.settings);
        HWND w = StartFirst();
        ASSERT_NE(w, nullptr);
        const bool rtl = (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        EXPECT_EQ(rtl, c.mirrored);
        Exit(w, first_);
    }
}

}  // namespace
}  // namespace vonu
