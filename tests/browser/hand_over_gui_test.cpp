// The receiving side in the real Vonu.exe, and the integration dialog, driven from a second
// process as the host and a user drive them: the host starts the program with "/tray" and
// its New Download dialog shows the handed-over address; hand-overs wait while a modal
// dialog is open and come one at a time after it, the eleventh is refused; an address the
// list holds unfinished brings the window forward with no dialog; and the Browser
// integration dialog finds browsers through App Paths, opens the extension's page in the
// chosen one, and repairs the registration.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browser/host_manifests.h"
#include "model/text_encoding.h"
#include "tests/browser/host_process.h"
#include "tests/browser/running_vonu.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "ui/hand_over_record.h"
#include "ui/resource.h"

namespace vonu {
namespace {

using namespace test;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

// Sent as the host sends it; the window's answer (0 when it did not answer in 5 s).
LRESULT SendRecord(HWND window, const std::wstring& text, ULONG_PTR id = kHandOverId) {
    COPYDATASTRUCT c{};
    c.dwData = id;
    c.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    c.lpData = const_cast<wchar_t*>(text.c_str());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&c), SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

std::wstring RecordOf(const std::wstring& address, const std::wstring& fileName = L"") {
    return HandOverRecordText({address, L"http://127.0.0.1/page", fileName, L"c=1", L"Test/1"});
}

void SetAppPath(const wchar_t* program, const std::wstring& value) {
    const std::wstring key = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
    if (value.empty()) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class HandOverGuiTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        ASSERT_TRUE(Servers().ok) << Narrow(Servers().error);
    }
    void TearDown() override {
        StopVonu();
        ClearVonuData();
        for (const wchar_t* p : {L"chrome.exe", L"msedge.exe", L"firefox.exe", L"brave.exe"}) SetAppPath(p, L"");
    }
    void Seed(const std::wstring& list, const std::wstring& language = L"en") {
        SeedVonuData(list, L"Language=" + language + L"\r\nShowProgress=0\r\nShowComplete=0\r\nBaseDir=" +
                               base_.path() + L"\r\n");
    }
    void StartVonuNow(int rows, const std::wstring& language = L"en") {
        Seed(rows ? SampleListText() : L"", language);
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), rows, &v);
        window_ = v.main;
        pid_ = vonu_.id();
        ASSERT_TRUE(up);
    }
    // Closes the dialogs a test left open, then exits the program (also one the host started).
    void StopVonu() {
        EXPECT_TRUE(ExitRunningVonu());
        vonu_ = Process();
        window_ = nullptr;
    }
    HWND Dialog(const std::wstring& title, DWORD ms = 10000) { return WaitForProcessDialog(pid_, title, ms); }

    TempFolder base_;
    Process vonu_;
    HWND window_ = nullptr;
    DWORD pid_ = 0;
};

TEST_F(HandOverGuiTest, TheHostStartsTheProgramAndTheDialogShowsTheAddress) {
    Seed(L"");
    const std::wstring address = NginxUrl(L"/files/small.bin");
    const std::string json = "{\"url\":\"" + Narrow(address) +
                             "\",\"referrer\":\"\",\"filename\":\"small.bin\",\"cookie\":\"\",\"ua\":\"Test/1\"}";
    EXPECT_EQ(AskHost(NativeFrame(json), L"", 30000), "{\"ok\":true}");
    window_ = WaitForMainWindow(0, 5000);
    ASSERT_NE(window_, nullptr) << "the host started Vonu";
    GetWindowThreadProcessId(window_, &pid_);
    EXPECT_FALSE(IsWindowVisible(window_)) << "started with /tray, it stays in the notification area";
    HWND dialog = Dialog(L"New Download", 15000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_ND_URL), address);
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
}

TEST_F(HandOverGuiTest, HandOversWaitForAModalDialogAndComeOneAtATime) {
    StartVonuNow(0);
    PostMessageW(window_, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
    HWND address = Dialog(L"Add a download link");
    ASSERT_NE(address, nullptr);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(SendRecord(window_, RecordOf(NginxUrl(L"/files/small.bin?n=" + std::to_wstring(i)))), 1) << i;
    EXPECT_EQ(SendRecord(window_, RecordOf(NginxUrl(L"/files/small.bin?n=10"))), 0) << "the eleventh is refused";
    EXPECT_EQ(SendRecord(window_, RecordOf(NginxUrl(L"/files/small.bin?n=3"))), 1) << "one already waiting";
    // Not a hand-over: refused, nothing else happens.
    EXPECT_EQ(SendRecord(window_, RecordOf(NginxUrl(L"/files/x")), 0x12345678), 0);
    EXPECT_EQ(SendRecord(window_, RecordOf(L"ftp://127.0.0.1/x")), 0);
    Sleep(600);
    EXPECT_TRUE(TopWindows(pid_, L"#32770", L"New Download").empty()) << "nothing opens over a modal dialog";
    ClickItem(address, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(address));
    for (int i = 0; i < 2; ++i) {
        HWND added = Dialog(L"New Download");
        ASSERT_NE(added, nullptr) << i;
        EXPECT_EQ(ItemText(added, IDC_ND_URL), NginxUrl(L"/files/small.bin?n=" + std::to_wstring(i)));
        ClickItem(added, IDCANCEL);
        ASSERT_TRUE(WaitDialogGone(added));
    }
}

TEST_F(HandOverGuiTest, AnUnfinishedDownloadComesForwardWithoutADialog) {
    StartVonuNow(7);
    ShowWindow(window_, SW_MINIMIZE);
    // D2 report.pdf is Stopped at 25% in the sample list.
    EXPECT_EQ(SendRecord(window_, RecordOf(L"https://files.example.org/report-2026.pdf")), 1);
    EXPECT_TRUE(WaitUntil(3000, [&] { return !IsIconic(window_); })) << "the window comes forward";
    Sleep(800);
    EXPECT_TRUE(TopWindows(pid_, L"#32770").empty()) << "no dialog opens";
}

TEST_F(HandOverGuiTest, TheSameAddressTwiceOpensOneDialog) {
    StartVonuNow(0);
    const std::wstring address = NginxUrl(L"/files/small.bin?twice");
    EXPECT_EQ(SendRecord(window_, RecordOf(address)), 1);
    EXPECT_EQ(SendRecord(window_, RecordOf(address)), 1);
    HWND added = Dialog(L"New Download");
    ASSERT_NE(added, nullptr);
    ClickItem(added, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(added));
    Sleep(800);
    EXPECT_TRUE(TopWindows(pid_, L"#32770").empty()) << "only one dialog";
}

class BrowserDialogTest : public HandOverGuiTest {
protected:
    // The stand-in registered for Chrome (quoted, as some installers write it) and Edge.
    void RegisterStandIns() {
        const std::wstring standIn = ProgramFolderOfTests() + L"\\browser_standin.exe";
        for (const wchar_t* name : {L"chrome", L"msedge"}) {
            const std::wstring copy = browsers_.File(std::wstring(name) + L".exe");
            ASSERT_TRUE(CopyFileW(standIn.c_str(), copy.c_str(), FALSE));
        }
        SetAppPath(L"chrome.exe", L"\"" + browsers_.File(L"chrome.exe") + L"\"");
        SetAppPath(L"msedge.exe", browsers_.File(L"msedge.exe"));
        SetAppPath(L"firefox.exe", browsers_.File(L"missing-firefox.exe"));
    }
    static std::wstring ProgramFolderOfTests() {
        const std::wstring exe = VonuExePath();
        return exe.substr(0, exe.rfind(L'\\'));
    }
    std::wstring ArgsOf(const wchar_t* name) {
        const std::wstring path = browsers_.File(std::wstring(name) + L".exe.args");
        std::wstring text;
        WaitUntil(10000, [&] {
            const std::string bytes = ReadBytes(path);
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
            return !text.empty();
        });
        return text;
    }
    TempFolder browsers_;
};

TEST_F(BrowserDialogTest, ShowsInstalledBrowsersAndOpensTheExtensionPage) {
    RegisterStandIns();
    StartVonuNow(0);
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_BROWSER, 0);
    HWND dialog = Dialog(L"Browser integration");
    ASSERT_NE(dialog, nullptr);
    const wchar_t* expected[] = {L"Installed on this PC", L"Installed on this PC", L"Not found on this PC",
                                 L"Not found on this PC"};
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(ItemText(dialog, IDC_BI_STATUS + row), expected[row]);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_BI_ADD + row)) != FALSE, row < 2);
    }
    EXPECT_EQ(ItemText(dialog, IDC_BI_LABEL + 2), L"Mozilla Firefox");
    ClickItem(dialog, IDC_BI_ADD);
    const std::wstring args = ArgsOf(L"chrome");
    EXPECT_NE(args.find(L" \"https://vonu.app/en/extension.html?b=chrome\""), std::wstring::npos) << Narrow(args);
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
}

TEST_F(BrowserDialogTest, ArabicOpensThePageWithoutEnglishFolder) {
    RegisterStandIns();
    StartVonuNow(0, L"ar");
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_BROWSER, 0);
    HWND dialog = Dialog(L"\x0627\x0644\x062A\x0643\x0627\x0645\x0644 \x0645\x0639 \x0627\x0644\x0645\x062A\x0635\x0641\x062D");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    ClickItem(dialog, IDC_BI_ADD + 1);
    const std::wstring args = ArgsOf(L"msedge");
    EXPECT_NE(args.find(L" \"https://vonu.app/extension.html?b=edge\""), std::wstring::npos) << Narrow(args);
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
}

TEST_F(BrowserDialogTest, RepairWritesTheRegistrationAgain) {
    StartVonuNow(0);
    const std::wstring manifest = ProgramFolderOfTests() + L"\\com.vonu.downloader.json";
    ASSERT_TRUE(FileExists(manifest)) << "every start registers";
    DeleteFileW(manifest.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kHostKeys[0].subKey);
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_BROWSER, 0);
    HWND dialog = Dialog(L"Browser integration");
    ASSERT_NE(dialog, nullptr);
    ClickItem(dialog, IDC_BI_REPAIR);
    // The message box has the dialog's title: it is the other window of that title.
    HWND box = nullptr;
    WaitUntil(10000, [&] {
        for (HWND w : TopWindows(pid_, L"#32770", L"Browser integration"))
            if (w != dialog) box = w;
        return box != nullptr;
    });
    ASSERT_NE(box, nullptr) << "the repair tells the user";
    EXPECT_EQ(MessageBoxText(box),
              L"The connection to your browsers was set up again. Close the browser completely, then open it "
              L"again.");
    ClickItem(box, IDOK);
    EXPECT_TRUE(WaitDialogGone(box));
    EXPECT_EQ(ReadBytes(manifest), ChromiumHostManifest(VonuExePath()));
    wchar_t value[MAX_PATH] = {};
    DWORD bytes = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kHostKeys[0].subKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), manifest);
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
}

// What `reg export` writes for the key (the .reg text, UTF-16), through Wine's own reg.exe.
std::wstring ExportedKey(const std::wstring& subKey, const std::wstring& file) {
    std::wstring line = L"reg.exe export \"HKEY_CURRENT_USER\\" + subKey + L"\" \"" + file + L"\" /y";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return L"(reg.exe did not start)";
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Utf16FileText(file);
}

std::wstring Doubled(const std::wstring& path) {
    std::wstring out;
    for (wchar_t c : path) out += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    return out;
}

TEST_F(HandOverGuiTest, EveryStartWritesTheSameManifestsAndKeys) {
    const std::wstring exe = VonuExePath();
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const std::wstring chromium = folder + L"\\com.vonu.downloader.json";
    const std::wstring firefox = folder + L"\\com.vonu.downloader.firefox.json";
    TempFolder exports;
    std::vector<std::wstring> first;
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        for (const HostKey& k : kHostKeys) RegDeleteTreeW(HKEY_CURRENT_USER, k.subKey);
        DeleteFileW(firefox.c_str());
        StartVonuNow(0);
        StopVonu();
        EXPECT_EQ(ReadBytes(chromium), ChromiumHostManifest(exe));
        EXPECT_EQ(ReadBytes(firefox), FirefoxHostManifest(exe));
        std::vector<std::wstring> keys;
        for (const HostKey& k : kHostKeys) {
            const std::wstring text = ExportedKey(k.subKey, exports.File(L"key.reg"));
            EXPECT_NE(text.find(L"[HKEY_CURRENT_USER\\" + std::wstring(k.subKey) + L"]\r\n@=\"" +
                                Doubled(k.firefox ? firefox : chromium) + L"\""),
                      std::wstring::npos)
                << Narrow(text);
            keys.push_back(text);
        }
        if (start == 0) first = keys;
        else EXPECT_EQ(keys, first) << "a second start leaves the keys as the first wrote them";
    }
}

}  // namespace
}  // namespace vonu
