// The real Vonu.exe's progress and completion windows, driven from a second process: Show
// progress opens one window per download that follows its download from the loopback
// nginx, Pause and Resume, fewer and more details, the ways of closing it, Delete closing it,
// and a small download that completes, closing its progress window and showing the
// completion window whose check box switches itself off in settings.ini.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/resource.h"
#include "model/data_folder.h"
#include "model/text_encoding.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/support/remote_dialogs.h"

namespace vonu {
namespace {

using namespace test;

constexpr wchar_t kDialogClass[] = L"#32770";

// One list.ini section for a probed, resumable, stopped download with no bytes yet.
std::wstring Section(int id, const std::wstring& url, const std::wstring& path, int64_t size,
                     int connections) {
    const std::wstring name = path.substr(path.rfind(L'\\') + 1);
    return L"[D" + std::to_wstring(id) + L"]\r\nUrl=" + url + L"\r\nFile=" + name + L"\r\nPath=" + path +
           L"\r\nCat=General\r\nSize=" + std::to_wstring(size) +
           L"\r\nRes=1\r\nProbed=1\r\nState=2\r\nAdded=134413227000000000\r\nConn=" +
           std::to_wstring(connections) + L"\r\n\r\n";
}

class ProgressWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Servers().ok) << WideToUtf8(Servers().error);
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        bigPath_ = folder_.File(L"20mib.bin");
        smallPath_ = folder_.File(L"small.bin");
        // 20 MiB at 64 KB/s per connection: it runs for the whole test without ending.
        SeedVonuData(Section(1, NginxUrl(L"/slow/20mib.bin"), bigPath_, 20971520, 4) +
                         Section(2, NginxUrl(L"/files/small.bin"), smallPath_, 1000, 1) +
                         L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n",
                     L"Language=en\r\nShowProgress=1\r\nShowComplete=1\r\nSound=0\r\n");
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), 2, &v);
        window_ = v.main, list_ = v.list, status_ = v.status;
        ASSERT_TRUE(up);
    }
    void TearDown() override {
        if (vonu_.started()) {
            DWORD code = 1;
            EXPECT_TRUE(ExitVonu(vonu_, window_, &code));
            EXPECT_EQ(code, 0u);
        }
        ClearVonuData();
    }

    void Select(int row) { ListViewSelect(list_, {row}); }
    void Command(int id) { PostMessageW(window_, WM_COMMAND, id, 0); }
    void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    std::vector<HWND> ProgressWindows(const std::wstring& name) {
        return TopWindows(vonu_.id(), kDialogClass, L"% " + name);
    }
    HWND WaitForProgressWindow(const std::wstring& name) {
        return WaitForTopWindow(vonu_.id(), kDialogClass, L"% " + name, 10000);
    }
    bool WaitForText(HWND dialog, int id, const std::wstring& text) {
        return WaitUntil(10000, [&] { return ItemText(dialog, id) == text; });
    }
    bool WaitGone(HWND window) {
        return WaitUntil(10000, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
    }
    std::wstring Downloading() { return StatusBarText(status_, 0); }

    TempFolder folder_;
    std::wstring bigPath_, smallPath_;
    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr, status_ = nullptr;
};

TEST_F(ProgressWindowTest, FollowsItsDownloadPausesResumesAndCloses) {
    Select(0);
    Command(ID_FILE_SHOW_PROGRESS);
    HWND p = WaitForProgressWindow(L"20mib.bin");
    ASSERT_NE(p, nullptr) << "Show progress opened no window";
    EXPECT_EQ(ControlText(p), L"0% 20mib.bin");
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_STATUS, L"Paused"));
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_PAUSE), L"Resume");
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_ADDRESS), NginxUrl(L"/slow/20mib.bin"));
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_PATH), bigPath_);
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_SIZE), L"20.00 MB");
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_RESUMABLE), L"Yes");
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_SPEED), L"");

    // Resume: the download runs on several connections and the window follows it.
    Click(p, IDC_PROGRESS_PAUSE);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_PAUSE, L"Pause"));
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_STATUS, L"Downloading..."));
    HWND table = GetDlgItem(p, IDC_PROGRESS_CONNECTIONS);
    EXPECT_TRUE(WaitUntil(15000,
                          [&] {
                              int working = 0;
                              for (int r = 0; r < ListViewRowCount(table); ++r)
                                  working += ListViewText(table, r, 2) == L"Downloading...";
                              return working >= 2;
                          }))
        << "rows: " << ListViewRowCount(table);
    EXPECT_TRUE(WaitUntil(15000, [&] { return ControlText(p) != L"0% 20mib.bin"; }))
        << "the title's percentage";
    EXPECT_EQ(ListViewText(table, 0, 0), L"1");
    EXPECT_NE(ListViewText(table, 0, 1), L"0 Bytes");
    EXPECT_NE(ItemText(p, IDC_PROGRESS_SPEED), L"");
    const std::wstring downloaded = ItemText(p, IDC_PROGRESS_DOWNLOADED);
    ASSERT_GT(downloaded.size(), 4u);
    EXPECT_EQ(downloaded.substr(downloaded.size() - 3), L" %)") << WideToUtf8(downloaded);

    // Show progress again raises the same window: never two.
    Command(ID_FILE_SHOW_PROGRESS);
    Sleep(500);
    EXPECT_EQ(ProgressWindows(L"20mib.bin"), std::vector<HWND>{p});

    // Enter does nothing: the window stays and the download runs on.
    HWND address = GetDlgItem(p, IDC_PROGRESS_ADDRESS);
    PostMessageW(address, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(address, WM_KEYUP, VK_RETURN, 0xC0000001);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(p));
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_PAUSE), L"Pause");
    EXPECT_EQ(ItemText(p, IDC_PROGRESS_STATUS), L"Downloading...");

    // Fewer details hides the connection part and keeps the width; More details restores.
    RECT full{};
    GetWindowRect(p, &full);
    Click(p, IDC_PROGRESS_DETAILS);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_DETAILS, L"More details"));
    RECT compact{};
    GetWindowRect(p, &compact);
    EXPECT_EQ(compact.right - compact.left, full.right - full.left);
    EXPECT_EQ(compact.left, full.left);
    EXPECT_LT(compact.bottom - compact.top, full.bottom - full.top);
    RECT details{};
    GetWindowRect(GetDlgItem(p, IDC_PROGRESS_DETAILS), &details);
    EXPECT_GT(compact.bottom, details.bottom) << "the details button stays inside";
    for (int id : {IDC_PROGRESS_CONNECTIONS_LABEL, IDC_PROGRESS_CONNECTIONS_BAR, IDC_PROGRESS_CONNECTIONS}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(p, id)));
    }
    Click(p, IDC_PROGRESS_DETAILS);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_DETAILS, L"Fewer details"));
    RECT again{};
    GetWindowRect(p, &again);
    EXPECT_EQ(again.bottom - again.top, full.bottom - full.top);
    EXPECT_TRUE(IsWindowVisible(table));

    // Pause: the button offers Resume and the status says so.
    Click(p, IDC_PROGRESS_PAUSE);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_PAUSE, L"Resume"));
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_STATUS, L"Paused"));
    EXPECT_TRUE(WaitUntil(5000, [&] { return ListViewText(table, 0, 2) == L"Stopped"; }));
    EXPECT_TRUE(WaitUntil(5000, [&] { return Downloading() == L"  0 downloading, 2 in list"; }));

    // The close box only closes the window: the download goes on.
    Click(p, IDC_PROGRESS_PAUSE);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_STATUS, L"Downloading..."));
    PostMessageW(p, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(p));
    Sleep(600);
    EXPECT_EQ(Downloading(), L"  1 downloading, 2 in list");

    // So does Escape.
    Command(ID_FILE_SHOW_PROGRESS);
    p = WaitForProgressWindow(L"20mib.bin");
    ASSERT_NE(p, nullptr);
    address = GetDlgItem(p, IDC_PROGRESS_ADDRESS);
    PostMessageW(address, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(address, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    EXPECT_TRUE(WaitGone(p));
    Sleep(600);
    EXPECT_EQ(Downloading(), L"  1 downloading, 2 in list");

    // Cancel on a running download stops it and closes the window.
    Command(ID_FILE_SHOW_PROGRESS);
    p = WaitForProgressWindow(L"20mib.bin");
    ASSERT_NE(p, nullptr);
    Click(p, IDC_PROGRESS_CANCEL);
    EXPECT_TRUE(WaitGone(p));
    EXPECT_TRUE(WaitUntil(5000, [&] { return Downloading() == L"  0 downloading, 2 in list"; }));

    // Cancel on a stopped download only closes the window; the download stays in the list.
    Command(ID_FILE_SHOW_PROGRESS);
    p = WaitForProgressWindow(L"20mib.bin");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(WaitForText(p, IDC_PROGRESS_STATUS, L"Paused"));
    Click(p, IDC_PROGRESS_CANCEL);
    EXPECT_TRUE(WaitGone(p));
    Sleep(600);
    EXPECT_EQ(Downloading(), L"  0 downloading, 2 in list");
    const std::wstring status = ListViewText(list_, 0, 2);
    EXPECT_TRUE(!status.empty() && status.back() == L'%') << "stopped part way: " << WideToUtf8(status);
}

TEST_F(ProgressWindowTest, DeleteClosesTheProgressWindow) {
    Select(0);
    Command(ID_FILE_SHOW_PROGRESS);
    HWND p = WaitForProgressWindow(L"20mib.bin");
    ASSERT_NE(p, nullptr);
    Command(ID_FILE_DELETE);
    HWND ask = WaitForTopWindow(vonu_.id(), kDialogClass, L"Delete downloads", 10000);
    ASSERT_NE(ask, nullptr);
    Click(ask, IDOK);
    EXPECT_TRUE(WaitGone(p));
    EXPECT_TRUE(WaitUntil(5000, [&] { return ListViewRowCount(list_) == 1; }));
    EXPECT_TRUE(ProgressWindows(L"20mib.bin").empty());
}

TEST_F(ProgressWindowTest, CompletedDownloadSwapsItsProgressWindowForTheCompletionWindow) {
    // The Resume command opens the progress window (ShowProgress is on); the download ends
    // within a tick or two, which closes it again and opens the completion window.
    Select(1);
    Command(ID_FILE_RESUME);
    HWND done = WaitForTopWindow(vonu_.id(), kDialogClass, L"Download complete  small.bin", 20000);
    ASSERT_NE(done, nullptr) << "no completion window";
    EXPECT_TRUE(ProgressWindows(L"small.bin").empty()) << "the progress window closed";
    EXPECT_EQ(ListViewText(list_, 1, 2), L"Complete");
    EXPECT_EQ(ReadBytes(smallPath_), PatternBytes(1000));
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_HEADING), L"Download complete");
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_ADDRESS), NginxUrl(L"/files/small.bin"));
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_PATH), smallPath_);
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_SIZE), L"1000 Bytes");
    EXPECT_EQ(GetForegroundWindow(), done);

    // Ticking the box and closing switches the window off in settings.ini.
    const std::wstring settings = SettingsPath(DataFolder());
    EXPECT_EQ(Utf16FileText(settings).find(L"ShowComplete=0"), std::wstring::npos);
    Click(done, IDC_COMPLETE_DONT_SHOW);
    EXPECT_TRUE(WaitUntil(5000, [&] {
        return SendMessageW(GetDlgItem(done, IDC_COMPLETE_DONT_SHOW), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }));
    Click(done, IDCANCEL);
    EXPECT_TRUE(WaitGone(done));
    EXPECT_TRUE(WaitUntil(
        5000, [&] { return Utf16FileText(settings).find(L"ShowComplete=0") != std::wstring::npos; }));
}

TEST_F(ProgressWindowTest, EnterOpensTheFileAndTheTickedBoxStillCounts) {
    Select(1);
    Command(ID_FILE_RESUME);
    HWND done = WaitForTopWindow(vonu_.id(), kDialogClass, L"Download complete  small.bin", 20000);
    ASSERT_NE(done, nullptr) << "no completion window";
    Click(done, IDC_COMPLETE_DONT_SHOW);
    HWND box = GetDlgItem(done, IDC_COMPLETE_DONT_SHOW);
    ASSERT_TRUE(WaitUntil(5000, [&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    // Enter anywhere in the window is Open. A ".bin" file has no program here, so the shell
    // refuses and the window says why before it closes; with a program it would just start.
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_TRUE(WaitUntil(10000, [&] {
        if (HWND message = WaitForTopWindow(vonu_.id(), kDialogClass, L"Vonu Download Manager", 0)) {
            PostMessageW(message, WM_COMMAND, IDOK, 0);
            return false;
        }
        return !IsWindow(done);
    })) << "the window closes after Open";
    const std::wstring settings = SettingsPath(DataFolder());
    EXPECT_TRUE(WaitUntil(
        5000, [&] { return Utf16FileText(settings).find(L"ShowComplete=0") != std::wstring::npos; }));
}

TEST_F(ProgressWindowTest, ExitWithTheBoxTickedStillSwitchesTheWindowOff) {
    Select(1);
    Command(ID_FILE_RESUME);
    HWND done = WaitForTopWindow(vonu_.id(), kDialogClass, L"Download complete  small.bin", 20000);
    ASSERT_NE(done, nullptr) << "no completion window";
    Click(done, IDC_COMPLETE_DONT_SHOW);
    ASSERT_TRUE(WaitUntil(5000, [&] {
        return SendMessageW(GetDlgItem(done, IDC_COMPLETE_DONT_SHOW), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }));
    Command(ID_APP_EXIT);
    DWORD code = 1;
    EXPECT_TRUE(vonu_.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_NE(Utf16FileText(SettingsPath(DataFolder())).find(L"ShowComplete=0"), std::wstring::npos);
}

}  // namespace
}  // namespace vonu
