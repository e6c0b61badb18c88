// The self-update of the real Vonu.exe under Wine, driven from a second process as a user
// would drive it. The program is the build patched to trust this run's throw-away key
// (update_fixtures); nginx serves, over HTTPS with the test CA, a description signed with
// that key and a "new build" (the program with bytes appended after its last section).
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "model/data_folder.h"
#include "model/text_case.h"
#include "model/text_encoding.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/update/update_fixtures.h"
#include "ui/resource.h"

namespace vonu {
namespace {

using namespace test;

constexpr DWORD kStartTime = 30000;
const std::wstring kDialogTitle = L"Vonu update";

// The process that owns a window, for one that this test did not start (the restarted one).
Process ProcessOf(HWND window) {
    PROCESS_INFORMATION pi{};
    GetWindowThreadProcessId(window, &pi.dwProcessId);
    pi.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                              pi.dwProcessId);
    return Process(pi);
}

std::wstring ImagePath(const Process& p) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.id());
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = MAX_PATH * 2;
    const bool ok = h && QueryFullProcessImageNameW(h, 0, path, &n);
    if (h) CloseHandle(h);
    return ok ? std::wstring(path, n) : L"(unknown)";
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

class UpdateGui : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Servers().ok) << WideToUtf8(Servers().error);
        ASSERT_TRUE(Fixtures().ok) << WideToUtf8(Fixtures().error);
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        tag_ = UniqueTag();
        served_ = Servers().files + L"\\" + tag_;
        ASSERT_TRUE(CreateDirectoryW(served_.c_str(), nullptr));
        exe_ = app_.File(L"Vonu.exe");
        original_ = ReadBytes(Fixtures().trustingExe());
        WriteBytes(exe_, original_);
        newBuild_ = ReadBytes(Fixtures().newBuild());
        WriteBytes(served_ + L"\\Vonu-new.exe", newBuild_);
    }
    void TearDown() override {
        for (HWND w : MainWindows()) {
            Process p = ProcessOf(w);
            ExitVonu(p, w);
        }
        ClearVonuData();
        RemoveTree(served_);
        for (const auto& [name, c] : Fixtures().signedCases) DeleteFileW(TempProgram(c.version).c_str());
    }

    static std::wstring TempProgram(const std::wstring& version) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        return std::wstring(temp) + L"Vonu-" + version + L".exe";
    }
    std::wstring ServedUrl(const std::wstring& name, bool https = true) const {
        const std::wstring path = L"/files/" + tag_ + L"/" + name;
        return https ? HttpsUrl(path) : NginxUrl(path);
    }
    void Describe(const std::string& json) { WriteBytes(served_ + L"\\update.json", json); }
    std::string Signed(const wchar_t* name, const std::wstring& exe,
                       const std::wstring& page = L"https://vonu.app/r") {
        return DescriptionJson(Fixtures().signedCases.at(name), exe, page);
    }

    // Starts the copy in the app folder on these settings and waits for its main window.
    void Launch(const std::wstring& settingsLines, const std::wstring& list, const std::wstring& arguments) {
        SeedVonuData(list, settingsLines);
        std::wstring line = L"\"" + exe_ + L"\"" + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &pi));
        vonu_ = Process(pi);
        window_ = WaitForMainWindow(vonu_.id(), kStartTime);
        ASSERT_NE(window_, nullptr);
    }
    // ...with the description at `updateUrl`, the daily check off, shown.
    void Start(const std::wstring& updateUrl, const std::wstring& language = L"en",
               const std::wstring& list = L"") {
        ASSERT_NO_FATAL_FAILURE(Launch(L"Language=" + language + L"\r\nUpdateUrl=" + updateUrl +
                                           L"\r\nCheckUpdates=0\r\nShowProgress=0\r\nShowComplete=0\r\n",
                                       list, L""));
        ASSERT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(window_) != 0; }));
    }
    // Help > Check for updates, and the dialog it brings.
    HWND AskAndWaitForDialog() {
        PostMessageW(window_, WM_COMMAND, ID_HELP_UPDATES, 0);
        return WaitForProcessDialog(vonu_.id(), kDialogTitle, kStartTime);
    }
    std::wstring WaitForStatus(HWND dialog, const std::wstring& wanted, DWORD ms = 30000) {
        std::wstring status;
        WaitUntil(ms, [&] { return (status = ItemText(dialog, IDC_UPDATE_STATUS)) == wanted; });
        return status;
    }

    TempFolder app_;
    std::wstring tag_, served_, exe_;
    std::string original_, newBuild_;
    Process vonu_;
    HWND window_ = nullptr;
};

TEST_F(UpdateGui, OffersDownloadsSwapsAndRestartsAsTheNewBuild) {
    Describe(Signed(L"newbuild", ServedUrl(L"Vonu-new.exe")));
    ASSERT_NO_FATAL_FAILURE(Start(ServedUrl(L"update.json")));
    HWND dialog = AskAndWaitForDialog();
    ASSERT_NE(dialog, nullptr) << "the verified offer is shown";
    EXPECT_EQ(ItemText(dialog, IDC_UPDATE_HEADING), L"A new version of Vonu is ready");
    EXPECT_EQ(ItemText(dialog, IDC_UPDATE_VERSIONS), L"Version 9.0.0 is ready. You have version 1.2.0.");
    EXPECT_EQ(ItemText(dialog, IDC_UPDATE_NOTES), L"\u2022  Faster downloads\r\n\u2022  Fewer crashes\r\n");
    EXPECT_TRUE(Visible(dialog, IDC_UPDATE_LINK));
    EXPECT_FALSE(Visible(dialog, IDC_UPDATE_BAR));
    EXPECT_EQ(ItemText(dialog, IDOK), L"Update now");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), L"Remind me later");
    EXPECT_EQ(FocusedControl(dialog), GetDlgItem(dialog, IDOK));

    ClickItem(dialog, IDOK);
    DWORD code = 1;
    ASSERT_TRUE(vonu_.WaitExit(60000, &code))
        << "status: " << WideToUtf8(ItemText(dialog, IDC_UPDATE_STATUS));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(ReadBytes(exe_) == newBuild_) << "the new build took the program's place";
    EXPECT_TRUE(ReadBytes(app_.File(L"Vonu.old.exe")) == original_) << "the old one beside it";
    EXPECT_FALSE(FileExists(TempProgram(L"9.0.0")));

    HWND restarted = WaitForMainWindow(0, kStartTime);
    ASSERT_NE(restarted, nullptr) << "the new build runs";
    Process next = ProcessOf(restarted);
    EXPECT_NE(next.id(), vonu_.id());
    EXPECT_TRUE(EqualsNoCase(ImagePath(next), exe_)) << WideToUtf8(ImagePath(next));

    // "/updated": the balloon on the new instance's tray icon, read from the shell's window.
    bool balloon = WaitUntil(20000, [&] {
        for (const ShownBalloon& b : ShownBalloons())
            if (b.text == L"Vonu is now on version 1.2.0.") return true;
        return false;
    });
    EXPECT_TRUE(balloon) << "the Update installed balloon";

    // 20 s after its start the new instance removes what the swap left behind.
    EXPECT_TRUE(WaitUntil(45000, [&] { return !FileExists(app_.File(L"Vonu.old.exe")); }));
    EXPECT_TRUE(ExitVonu(next, restarted, &code));
    EXPECT_EQ(code, 0u);
}

// The daily check, 20 s after a start in the notification area: the offer waits behind a
// balloon, and once the window is brought forward (the balloon clicked) the next tick shows
// the dialog.
TEST_F(UpdateGui, TheDailyCheckOffersAnUpdateWithABalloonWhileTheWindowIsHidden) {
    Describe(Signed(L"newbuild", ServedUrl(L"Vonu-new.exe")));
    ASSERT_NO_FATAL_FAILURE(Launch(L"Language=en\r\nUpdateUrl=" + ServedUrl(L"update.json") +
                                       L"\r\nCheckUpdates=1\r\nLastUpdateCheck=0\r\nMinToTray=1\r\n",
                                   L"", L" /tray"));
    const ULONGLONG started = GetTickCount64();
    bool balloon = WaitUntil(45000, [&] {
        for (const ShownBalloon& b : ShownBalloons())
            if (b.text == L"Version 9.0.0 is ready. Click here to see what's new.") return true;
        return false;
    });
    ASSERT_TRUE(balloon) << "the offer's balloon";
    EXPECT_GE(GetTickCount64() - started, 15000u) << "the first check comes about 20 s after the start";
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(TopWindows(vonu_.id(), L"#32770").empty()) << "no dialog while the window is hidden";
    EXPECT_NE(Utf16FileText(SettingsPath(DataFolder())).find(L"LastUpdateCheck=1"), std::wstring::npos)
        << "a successful check is remembered";

    PostMessageW(window_, WM_APP + 1, 0, MAKELPARAM(NIN_BALLOONUSERCLICK, 1));  // the balloon clicked
    HWND dialog = WaitForProcessDialog(vonu_.id(), kDialogTitle, 10000);
    ASSERT_NE(dialog, nullptr) << "the next tick shows the pending offer";
    EXPECT_EQ(ItemText(dialog, IDC_UPDATE_VERSIONS), L"Version 9.0.0 is ready. You have version 1.2.0.");
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
}

TEST_F(UpdateGui, ASwapThatFailsPutsTheOldProgramBackAndItKeepsRunning) {
    // The old file's name is taken by a folder that is not empty: the rename fails.
    const std::wstring taken = app_.File(L"Vonu.old.exe");
    ASSERT_TRUE(CreateDirectoryW(taken.c_str(), nullptr));
    WriteBytes(taken + L"\\keep.txt", "x");
    Describe(Signed(L"newbuild", ServedUrl(L"Vonu-new.exe")));
    ASSERT_NO_FATAL_FAILURE(Start(ServedUrl(L"update.json")));
    HWND dialog = AskAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ClickItem(dialog, IDOK);
    const std::wstring failed =
        L"Vonu cannot replace its own file in this folder. Download the new version from the website.";
    EXPECT_EQ(WaitForStatus(dialog, failed), failed);
    EXPECT_TRUE(Enabled(dialog, IDOK)) << "the idle form again";
    EXPECT_TRUE(Visible(dialog, IDC_UPDATE_SKIP));
    EXPECT_FALSE(Visible(dialog, IDC_UPDATE_BAR));
    EXPECT_EQ(ItemText(dialog, IDCANCEL), L"Remind me later");
    EXPECT_TRUE(ReadBytes(exe_) == original_) << "the old program is in its place";
    EXPECT_FALSE(FileExists(TempProgram(L"9.0.0"))) << "the download is deleted";
    EXPECT_FALSE(vonu_.WaitExit(0));
    EXPECT_EQ(MainWindows().size(), 1u) << "nothing else started";

    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowEnabled(window_) != 0; })) << "the program goes on";
    DWORD code = 1;
    EXPECT_TRUE(ExitVonu(vonu_, window_, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(UpdateGui, AnAskedCheckSaysWhatItFoundAndADamagedFileIsRefused) {
    ASSERT_NO_FATAL_FAILURE(Start(ServedUrl(L"update.json")));
    const std::wstring intro =
        L"Vonu could not check for updates. Check your internet connection and try again.\n\n";

    // The maker's own sample: well formed, but not signed by the key this build trusts.
    Describe(ReadBytes(SampleFile(L"maker-signed-sample.json")));
    PostMessageW(window_, WM_COMMAND, ID_HELP_UPDATES, 0);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Check for updates", IDOK),
              intro + L"The update is not signed by Vonu, so it was ignored");

    Describe(R"({"version": "9.0.0", "x": )" + std::string(262144, '['));
    PostMessageW(window_, WM_COMMAND, ID_HELP_UPDATES, 0);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Check for updates", IDOK),
              intro + L"The update information could not be read");

    Describe(Signed(L"same", ServedUrl(L"Vonu-new.exe")));
    PostMessageW(window_, WM_COMMAND, ID_HELP_UPDATES, 0);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Check for updates", IDOK),
              L"You have the latest version of Vonu (1.2.0).");
    EXPECT_NE(Utf16FileText(SettingsPath(DataFolder())).find(L"LastUpdateCheck="), std::wstring::npos);

    // A file of the signed size whose bytes differ, and a page that is no web address.
    std::string damaged = newBuild_;
    damaged[damaged.size() / 2] ^= 0x20;
    WriteBytes(served_ + L"\\damaged.exe", damaged);
    Describe(Signed(L"newbuild", ServedUrl(L"damaged.exe"), L"file:///C:/windows/system32/winver.exe"));
    HWND dialog = AskAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(Visible(dialog, IDC_UPDATE_LINK))
        << "an unsigned page that is no web address is not offered";
    ClickItem(dialog, IDOK);
    const std::wstring refused =
        L"The update could not be downloaded: The downloaded file is damaged. Try again.";
    EXPECT_EQ(WaitForStatus(dialog, refused), refused);
    EXPECT_EQ(ItemText(dialog, IDOK), L"Try again");
    EXPECT_FALSE(FileExists(TempProgram(L"9.0.0"))) << "a damaged file never reaches the disk";
    EXPECT_TRUE(ReadBytes(exe_) == original_);

    // Skip this version: stored, and the dialog closes.
    ClickItem(dialog, IDC_UPDATE_SKIP);
    EXPECT_TRUE(WaitDialogGone(dialog));
    EXPECT_TRUE(WaitUntil(5000, [] {
        return Utf16FileText(SettingsPath(DataFolder())).find(L"SkipVersion=9.0.0") != std::wstring::npos;
    }));
    // Asked for, a skipped version is still offered.
    dialog = AskAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ClickItem(dialog, IDCANCEL);  // Remind me later
    EXPECT_TRUE(WaitDialogGone(dialog));
}

TEST_F(UpdateGui, CancelStopsTheDownloadAtOnceAndExitDuringADownloadEndsCleanly) {
    // A description on a local test server may name an http:// file: the fault server sends
    // it in 4 KiB pieces 100 ms apart (about 26 s in all).
    const std::wstring trickle = FaultUrl(L"/trickle?chunk=4096&pause=100&size=1048576&tag=" + tag_);
    Describe(Signed(L"trickle", trickle));
    const std::wstring slow = NginxUrl(L"/slow/20mib.bin");
    const std::wstring target = app_.File(L"running.bin");
    const std::wstring list =
        L"[D1]\r\nUrl=" + slow + L"\r\nFile=running.bin\r\nPath=" + target +
        L"\r\nCat=General\r\nSize=20971520\r\nRes=1\r\nProbed=1\r\nState=2\r\n"
        L"Added=134413227000000000\r\nConn=1\r\n\r\n[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n";
    ASSERT_NO_FATAL_FAILURE(Start(ServedUrl(L"update.json", false), L"en", list));
    HWND listView = ChildOfClass(window_, L"SysListView32");
    ASSERT_TRUE(WaitUntil(10000, [&] { return ListViewRowCount(listView) == 1; }));
    ListViewSelect(listView, {0});
    PostMessageW(window_, WM_COMMAND, ID_FILE_RESUME, 0);
    ASSERT_TRUE(
        WaitUntil(15000, [&] { return ListViewText(listView, 0, 2).find(L'%') != std::wstring::npos; }))
        << "the download runs: " << WideToUtf8(ListViewText(listView, 0, 2));

    HWND dialog = AskAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    // With a download running, Update now asks first; Cancel leaves everything as it was.
    ClickItem(dialog, IDOK);
    EXPECT_EQ(
        AnswerMessageBox(vonu_.id(), L"Update Vonu", IDCANCEL),
        L"Vonu will restart to finish the update. Downloads in progress will stop, and you can resume them "
        L"after.");
    EXPECT_TRUE(Enabled(dialog, IDOK));
    EXPECT_FALSE(Visible(dialog, IDC_UPDATE_BAR));
    EXPECT_EQ(ItemText(dialog, IDCANCEL), L"Remind me later");

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ClickItem(dialog, IDOK);
        AnswerMessageBox(vonu_.id(), L"Update Vonu", IDOK);
        std::wstring status;
        ASSERT_TRUE(WaitUntil(15000, [&] {
            status = ItemText(dialog, IDC_UPDATE_STATUS);
            return status.starts_with(L"Downloading the update: ") && status.ends_with(L" of 1.00 MB") &&
                   !status.starts_with(L"Downloading the update: 0 Bytes");
        })) << WideToUtf8(status);
        EXPECT_FALSE(Enabled(dialog, IDOK));
        EXPECT_FALSE(Visible(dialog, IDC_UPDATE_SKIP));
        EXPECT_EQ(ItemText(dialog, IDCANCEL), L"Cancel");
        const ULONGLONG began = GetTickCount64();
        ClickItem(dialog, IDCANCEL);
        EXPECT_EQ(WaitForStatus(dialog, L"Update cancelled.", 10000), L"Update cancelled.");
        EXPECT_LT(GetTickCount64() - began, 5000u) << "one piece, not the rest of the file";
        EXPECT_EQ(ItemText(dialog, IDCANCEL), L"Remind me later");
        EXPECT_TRUE(Enabled(dialog, IDOK));
        EXPECT_TRUE(IsWindow(dialog)) << "Cancel while busy keeps the dialog";
    }

    // Exit (as the setup program posts it) while the update downloads: the dialog's Cancel
    // runs, the downloads stop, and the program ends by itself.
    ClickItem(dialog, IDOK);
    AnswerMessageBox(vonu_.id(), L"Update Vonu", IDOK);
    ASSERT_TRUE(
        WaitUntil(15000, [&] { return ItemText(dialog, IDC_UPDATE_STATUS).ends_with(L" of 1.00 MB"); }));
    PostMessageW(window_, WM_COMMAND, ID_APP_EXIT, 0);
    DWORD code = 1;
    EXPECT_TRUE(vonu_.WaitExit(20000, &code)) << "it ends without being killed";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(ReadBytes(exe_) == original_);
    EXPECT_FALSE(FileExists(TempProgram(L"9.1.0")));
}

}  // namespace
}  // namespace vonu
