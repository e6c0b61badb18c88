// The Options dialog and the category, site login and connections per server dialogs of the
// real Vonu.exe, driven from a second process as a user would: values changed on every page
// land in settings.ini under their keys, the logins in logins.ini with the password
// protected (and read back equal), the limits in ServerLimits, the start-with-Windows entry
// in the registry; Cancel and a refused page leave every file byte for byte as it was; a
// category added and edited from the tree lands in categories.ini, and a file that cannot be
// replaced is reported, not taken as saved; a speed limit set while a download runs slows
// that download within a second; a proxy set there carries the next download's requests.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "l10n/localization.h"
#include "model/data_folder.h"
#include "model/run_entry.h"
#include "model/site_logins.h"
#include "model/text_encoding.h"
#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"

namespace vonu {
namespace {

using namespace test;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

// The raw value of key= in the text (the first line that starts with it), "(absent)" without.
std::wstring RawValue(const std::wstring& text, const std::wstring& key) {
    const size_t at = text.find(L"\r\n" + key + L"=");
    if (at == std::wstring::npos) return L"(absent)";
    const size_t from = at + 2 + key.size() + 1;
    return text.substr(from, text.find(L"\r\n", from) - from);
}

// Control ids are unique across the Options pages.
HWND PageItem(HWND options, int id) { return DescendantWithId(options, id); }
void SetPageText(HWND options, int id, const std::wstring& text) {
    SendMessageW(PageItem(options, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
std::wstring PageText(HWND options, int id) { return ControlText(PageItem(options, id)); }
void SetPageCheck(HWND options, int id, bool on) {
    SendMessageW(PageItem(options, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool PageChecked(HWND options, int id) {
    return SendMessageW(PageItem(options, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void ChooseProxyMode(HWND options, int mode) {
    for (int m = 0; m < 4; ++m) SetPageCheck(options, IDC_OPT_PROXY_SYSTEM + m, m == mode);
}
int ComboIndex(HWND options, int id) { return static_cast<int>(SendMessageW(PageItem(options, id), CB_GETCURSEL, 0, 0)); }
void ChooseCombo(HWND options, int id, int index) { SendMessageW(PageItem(options, id), CB_SETCURSEL, index, 0); }
int CurrentTab(HWND options) {
    return static_cast<int>(SendMessageW(GetDlgItem(options, IDC_OPT_TABS), TCM_GETCURSEL, 0, 0));
}
void ClickPage(HWND options, int id) { PostMessageW(PageItem(options, id), BM_CLICK, 0, 0); }

class OptionsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        (void)DeleteRunEntry();
    }
    void TearDown() override {
        Stop();
        RemoveDirectoryW(CategoriesPath(DataFolder()).c_str());  // left by a test that blocks the file
        ClearVonuData();
        DeleteFileW(LoginsPath(DataFolder()).c_str());
        (void)DeleteRunEntry();
    }
    void Start(const std::wstring& listText = L"", int rows = 0, const std::wstring& more = L"") {
        SeedVonuData(listText, L"Language=en\r\nShowProgress=0\r\nShowComplete=0\r\nCheckUpdates=0\r\nBaseDir=" +
                                   base_.path() + L"\r\n" + more);
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), rows, &v);
        window_ = v.main, list_ = v.list, tree_ = v.tree;
        ASSERT_TRUE(up);
    }
    void Stop() {
        if (!vonu_.started()) return;
        CancelOpenDialogs(vonu_.id(), 5);
        EXPECT_TRUE(ExitVonu(vonu_, window_));
        vonu_ = Process();
    }
    HWND Dialog(const wchar_t* title) { return WaitForProcessDialog(vonu_.id(), Translate(title), 10000); }
    HWND OpenOptions() {
        PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_OPTIONS, 0);
        return Dialog(L"Options");
    }
    // The message box of that title over `dialog` (which may carry the same title), answered
    // with `button`; "(no message box)" when none came.
    std::wstring AnswerBoxOver(HWND dialog, const wchar_t* boxTitle, int button = IDOK) {
        return AnswerMessageBox(vonu_.id(), boxTitle, button, dialog);
    }
    // Presses OK and returns the message the dialog answered with, which is answered.
    std::wstring OkRefused(HWND dialog, const wchar_t* boxTitle) {
        ClickItem(dialog, IDOK);
        return AnswerBoxOver(dialog, boxTitle);
    }
    std::map<std::wstring, std::string> StateFiles() {
        const std::wstring folder = DataFolder();
        return {{L"settings", ReadBytes(SettingsPath(folder))},
                {L"categories", ReadBytes(CategoriesPath(folder))},
                {L"logins", ReadBytes(LoginsPath(folder))},
                {L"list", ReadBytes(ListPath(folder))}};
    }
    std::wstring Settings() { return Utf16FileText(SettingsPath(DataFolder())); }

    TempFolder base_;
    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr, tree_ = nullptr;
};

TEST_F(OptionsTest, EveryPageReachesItsFileAndCancelOrARefusalChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0, L"MaxConn=6\r\n"));
    const auto before = StateFiles();
    // With no limit set, the Speed limiter command opens Options to set one.
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_LIMITER, 0);
    HWND options = Dialog(L"Options");
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(CurrentTab(options), 0);
    EXPECT_EQ(ComboIndex(options, IDC_OPT_MAX_CONN), 3) << "6 is not a choice: 8 shows";
    EXPECT_EQ(ComboIndex(options, IDC_OPT_LANGUAGE), 0) << "English";
    EXPECT_FALSE(PageChecked(options, IDC_OPT_RUN_AT_START));

    // Each refusal keeps the dialog open on its page with its message; nothing is written.
    const struct {
        int id;
        const wchar_t* typed;
        int page;
        const wchar_t* message;
    } refusals[] = {
        {IDC_OPT_MAX_ACTIVE, L"", 0, L"Enter an integer."},
        {IDC_OPT_MAX_ACTIVE, L"abc", 0, L"Enter an integer."},
        {IDC_OPT_MAX_ACTIVE, L"1.5", 0, L"Enter an integer."},
        {IDC_OPT_MAX_ACTIVE, L"-1", 0, L"Enter an integer."},
        {IDC_OPT_MAX_ACTIVE, L"1,000", 0, L"Enter an integer."},
        {IDC_OPT_MAX_ACTIVE, L"0", 0, L"Enter an integer between 1 and 10."},
        {IDC_OPT_MAX_ACTIVE, L"11", 0, L"Enter an integer between 1 and 10."},
        {IDC_OPT_SPEED_LIMIT, L"10000001", 0, L"Enter an integer between 0 and 10000000."},
        {IDC_OPT_SPEED_LIMIT, L"99999999999999999999999", 0, L"Enter an integer between 0 and 10000000."},
        {IDC_OPT_MAX_PER_SERVER, L"33", 0, L"Enter an integer between 0 and 32."},
        {IDC_OPT_BASE_DIR, L"Downloads", 1, L"Enter a full folder path, for example C:\\Downloads"},
        {IDC_OPT_BASE_DIR, L"C:foo", 1, L"Enter a full folder path, for example C:\\Downloads"},
        {IDC_OPT_BASE_DIR, L"C:\\x\\..\\..", 1, L"Enter a full folder path, for example C:\\Downloads"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(Narrow(r.typed));
        const std::wstring good = PageText(options, r.id);
        SetPageText(options, r.id, r.typed);
        EXPECT_EQ(OkRefused(options, L"Options"), r.message);
        EXPECT_TRUE(IsWindowVisible(options));
        EXPECT_EQ(CurrentTab(options), r.page);
        SetPageText(options, r.id, good);
    }
    // Leaving a page checks it too (the last refusal left Save To in front).
    ASSERT_TRUE(ClickTab(GetDlgItem(options, IDC_OPT_TABS), 0));
    ASSERT_TRUE(WaitUntil(3000, [&] { return IsWindowVisible(PageItem(options, IDC_OPT_MAX_ACTIVE)) != FALSE; }));
    SetPageText(options, IDC_OPT_MAX_ACTIVE, L"0");
    ASSERT_TRUE(ClickTab(GetDlgItem(options, IDC_OPT_TABS), 2));
    EXPECT_EQ(AnswerBoxOver(options, L"Options"), L"Enter an integer between 1 and 10.");
    EXPECT_EQ(CurrentTab(options), 0);
    EXPECT_TRUE(IsWindowVisible(PageItem(options, IDC_OPT_MAX_ACTIVE)));
    SetPageText(options, IDC_OPT_MAX_ACTIVE, L"3");
    ASSERT_TRUE(ClickTab(GetDlgItem(options, IDC_OPT_TABS), 2));
    EXPECT_TRUE(WaitUntil(3000, [&] { return CurrentTab(options) == 2 && IsWindowVisible(PageItem(options, IDC_OPT_SOUND)); }));
    // The proxy, the script and the scanner only when their choice is made.
    ChooseProxyMode(options, 2);
    SetPageText(options, IDC_OPT_PROXY_SERVER, L"  ");
    EXPECT_EQ(OkRefused(options, L"Options"), L"Enter the proxy server, for example 127.0.0.1:8080");
    EXPECT_EQ(CurrentTab(options), 3);
    ChooseProxyMode(options, 3);
    EXPECT_EQ(OkRefused(options, L"Options"), L"Enter the address of the proxy configuration script");
    ChooseProxyMode(options, 0);
    SetPageCheck(options, IDC_OPT_SCAN_ON, true);
    SetPageText(options, IDC_OPT_SCAN_EXE, L"C:\\nowhere\\scanner.exe");
    EXPECT_EQ(OkRefused(options, L"Options"), L"The antivirus program was not found. Choose its file.");
    EXPECT_EQ(CurrentTab(options), 5);
    EXPECT_EQ(StateFiles(), before) << "a refused OK writes nothing";

    // Changes everywhere, then Cancel: every file byte for byte as it was.
    SetPageText(options, IDC_OPT_MAX_ACTIVE, L"7");
    SetPageCheck(options, IDC_OPT_RUN_AT_START, true);
    ClickPage(options, IDC_OPT_SCAN_DEFENDER);
    EXPECT_TRUE(WaitUntil(3000, [&] { return PageText(options, IDC_OPT_SCAN_ARGS) == L"-Scan -ScanType 3 -File \"[file]\""; }));
    EXPECT_NE(PageText(options, IDC_OPT_SCAN_EXE).find(L"\\Windows Defender\\MpCmdRun.exe"), std::wstring::npos);
    EXPECT_EQ(PageText(options, IDC_OPT_SCAN_EXE).find(L'%'), std::wstring::npos) << "expanded";
    ClickItem(options, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(options));
    EXPECT_EQ(StateFiles(), before);
    EXPECT_FALSE(ReadRunEntry().has_value());

    // Every page, then OK.
    options = OpenOptions();
    ASSERT_NE(options, nullptr);
    ChooseCombo(options, IDC_OPT_MAX_CONN, 5);  // 16
    SetPageText(options, IDC_OPT_MAX_ACTIVE, L" 5 ");
    SetPageCheck(options, IDC_OPT_LIMITER_ON, true);
    SetPageText(options, IDC_OPT_SPEED_LIMIT, L"300");
    SetPageText(options, IDC_OPT_MAX_PER_SERVER, L"4");
    ClickPage(options, IDC_OPT_EXCEPTIONS);
    HWND limits = Dialog(L"Connections per server");
    ASSERT_NE(limits, nullptr);
    EXPECT_EQ(ItemText(limits, IDC_LIMIT_NUMBER), L"2");
    const std::pair<const wchar_t*, const wchar_t*> servers[] = {
        {L"https://me@Dl.Example.com:8443/files/", L"50"}, {L"dl.example.com", L"3"}, {L"files.example.org", L"2"}};
    for (const auto& [server, number] : servers) {
        SetItemText(limits, IDC_LIMIT_SERVER, server);
        SetItemText(limits, IDC_LIMIT_NUMBER, number);
        ClickItem(limits, IDC_LIMIT_ADD);
        ASSERT_TRUE(WaitUntil(3000, [&] { return ItemText(limits, IDC_LIMIT_SERVER).empty(); }));
    }
    SetItemText(limits, IDC_LIMIT_SERVER, L"a=1;b");
    ClickItem(limits, IDC_LIMIT_ADD);
    EXPECT_EQ(AnswerBoxOver(limits, L"Connections per server"), L"A server name can't contain ; or =");
    const std::vector<std::vector<std::wstring>> limitRows = {{L"Dl.Example.com", L"3"}, {L"files.example.org", L"2"}};
    EXPECT_EQ(ListViewRows(GetDlgItem(limits, IDC_LIMIT_LIST), 2), limitRows);
    ClickItem(limits, IDOK);
    ASSERT_TRUE(WaitDialogGone(limits));

    TempFolder newBase;
    SetPageText(options, IDC_OPT_BASE_DIR, L"  " + newBase.path() + L"\\  ");
    SetPageCheck(options, IDC_OPT_SHOW_PROGRESS, true);
    SetPageCheck(options, IDC_OPT_CLIPBOARD, false);
    SetPageCheck(options, IDC_OPT_SOUND, true);
    SetPageCheck(options, IDC_OPT_RUN_AT_START, true);
    ChooseProxyMode(options, 2);
    SetPageText(options, IDC_OPT_PROXY_SERVER, L" 127.0.0.1:3128 ");
    SetPageText(options, IDC_OPT_PAC_URL, L" http://127.0.0.1:9/proxy.pac ");

    const std::wstring password = L"päss wörd ✓ كلمة";
    ClickPage(options, IDC_OPT_LOGIN_ADD);
    HWND login = Dialog(L"Site login");
    ASSERT_NE(login, nullptr);
    SetItemText(login, IDC_LOGIN_SITE, L"https://me@Files.Example.org:8080/private/");
    EXPECT_EQ(OkRefused(login, L"Site login"), L"Enter the site and the user name");
    SetItemText(login, IDC_LOGIN_USER, L" me ");
    SetItemText(login, IDC_LOGIN_PASSWORD, password);
    ClickItem(login, IDOK);
    ASSERT_TRUE(WaitDialogGone(login));
    const std::vector<std::vector<std::wstring>> loginRows = {{L"Files.Example.org", L"me"}};
    EXPECT_EQ(ListViewRows(PageItem(options, IDC_OPT_LOGIN_LIST), 2), loginRows);

    const std::wstring scanner = VonuExePath();  // any program that exists
    SetPageCheck(options, IDC_OPT_SCAN_ON, true);
    SetPageText(options, IDC_OPT_SCAN_EXE, scanner);
    SetPageText(options, IDC_OPT_SCAN_ARGS, L"\"[file]\"");
    ClickItem(options, IDOK);
    ASSERT_TRUE(WaitDialogGone(options));

    const std::wstring settings = Settings();
    const std::pair<const wchar_t*, std::wstring> keys[] = {
        {L"MaxConn", L"16"}, {L"MaxActive", L"5"}, {L"LimiterOn", L"1"}, {L"SpeedLimitKB", L"300"},
        {L"MaxPerServer", L"4"}, {L"BaseDir", newBase.path()}, {L"ShowProgress", L"1"}, {L"ShowComplete", L"0"},
        {L"Clipboard", L"0"}, {L"Sound", L"1"}, {L"Language", L"en"}, {L"ProxyMode", L"2"},
        {L"Proxy", L"127.0.0.1:3128"}, {L"PacUrl", L"http://127.0.0.1:9/proxy.pac"}, {L"ScanOn", L"1"},
        {L"ScanExe", scanner}, {L"ScanArgs", L"\"\"[file]\"\""}, {L"ServerLimits", L"Dl.Example.com=3;files.example.org=2"},
    };
    for (const auto& [key, value] : keys) EXPECT_EQ(RawValue(settings, key), value) << Narrow(key);
    wchar_t args[64] = {};
    GetPrivateProfileStringW(L"Main", L"ScanArgs", L"", args, 64, SettingsPath(DataFolder()).c_str());
    EXPECT_STREQ(args, L"\"[file]\"") << "read back as typed";

    const std::wstring logins = Utf16FileText(LoginsPath(DataFolder()));
    EXPECT_EQ(RawValue(logins, L"Site"), L"Files.Example.org");
    EXPECT_EQ(RawValue(logins, L"User"), L"me");
    EXPECT_EQ(logins.find(L"wörd"), std::wstring::npos) << "no password in the clear";
    EXPECT_EQ(UnprotectPassword(RawValue(logins, L"Pass")), password);
    EXPECT_EQ(ReadRunEntry().value_or(L"(none)"), L"\"" + VonuExePath() + L"\" /tray");

    // Opened again: the values as saved; unticking the start removes the entry; Arabic asks
    // to restart, and No keeps the program in English with the choice saved.
    options = OpenOptions();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(ComboIndex(options, IDC_OPT_MAX_CONN), 5);
    EXPECT_TRUE(PageChecked(options, IDC_OPT_RUN_AT_START));
    EXPECT_TRUE(PageChecked(options, IDC_OPT_PROXY_NAMED));
    // Edit opens the stored login; Remove takes it out of the list, and OK out of logins.ini.
    HWND loginList = PageItem(options, IDC_OPT_LOGIN_LIST);
    ListViewSelect(loginList, {0});
    ClickPage(options, IDC_OPT_LOGIN_EDIT);
    login = Dialog(L"Site login");
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(ItemText(login, IDC_LOGIN_SITE), L"Files.Example.org");
    EXPECT_EQ(ItemText(login, IDC_LOGIN_USER), L"me");
    ClickItem(login, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(login));
    ClickPage(options, IDC_OPT_LOGIN_REMOVE);
    EXPECT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(loginList) == 0; }));
    SetPageCheck(options, IDC_OPT_RUN_AT_START, false);
    ChooseCombo(options, IDC_OPT_LANGUAGE, 1);
    ClickItem(options, IDOK);
    EXPECT_EQ(AnswerBoxOver(options, L"Vonu Download Manager", IDNO),
              L"Restart Vonu to use the new language. Restart now?");
    ASSERT_TRUE(WaitDialogGone(options));
    EXPECT_FALSE(ReadRunEntry().has_value());
    EXPECT_EQ(RawValue(Settings(), L"Language"), L"ar");
    EXPECT_EQ(RawValue(Utf16FileText(LoginsPath(DataFolder())), L"Site"), L"(absent)");
    EXPECT_EQ(ControlText(window_), L"Vonu Download Manager") << "still English";

    // The saved choice still differs from the running language: Yes starts the program again,
    // in Arabic, and this instance ends.
    options = OpenOptions();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(ComboIndex(options, IDC_OPT_LANGUAGE), 1);
    ClickItem(options, IDOK);
    EXPECT_EQ(AnswerBoxOver(options, L"Vonu Download Manager", IDYES),
              L"Restart Vonu to use the new language. Restart now?");
    EXPECT_TRUE(vonu_.WaitExit(15000)) << "the first instance ends";
    HWND again = nullptr;
    EXPECT_TRUE(WaitUntil(30000, [&] {
        const std::vector<HWND> windows = MainWindows();
        again = windows.empty() ? nullptr : windows.front();
        return again && IsWindowVisible(again);
    }));
    ASSERT_NE(again, nullptr) << "the program started again";
    PROCESS_INFORMATION restarted{};
    GetWindowThreadProcessId(again, &restarted.dwProcessId);
    restarted.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     restarted.dwProcessId);
    vonu_ = Process(restarted);  // ended by TearDown
    window_ = again;
    EXPECT_NE(GetWindowLongPtrW(again, GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0) << "the new instance is in Arabic";
}

TEST_F(OptionsTest, CategoriesAreAddedAndEditedAndAFailedSaveIsShown) {
    ASSERT_NO_FATAL_FAILURE(Start());
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_ADD_CATEGORY, 0);
    HWND dialog = Dialog(L"Add category");
    ASSERT_NE(dialog, nullptr);
    const std::wstring badName =
        L"Enter a name for the category. It can't use these characters: \\ / : * ? \" < > |";
    const std::pair<const wchar_t*, std::wstring> names[] = {
        {L"", badName}, {L"..", badName}, {L"Books.", badName}, {L"CON", badName}, {L"a/b", badName},
        {L"video", L"There is already a category with this name"}};
    for (const auto& [name, message] : names) {
        SCOPED_TRACE(Narrow(name));
        SetItemText(dialog, IDC_CAT_NAME, name);
        EXPECT_EQ(OkRefused(dialog, L"Category"), message);
    }
    SetItemText(dialog, IDC_CAT_NAME, L" Books ");
    SetItemText(dialog, IDC_CAT_TYPES, L".EPUB, Mobi;azw3");
    for (const wchar_t* folder : {L"books", L"C:books", L"C:\\x\\..\\y"}) {
        SCOPED_TRACE(Narrow(folder));
        SetItemText(dialog, IDC_CAT_FOLDER, folder);
        EXPECT_EQ(OkRefused(dialog, L"Category"), L"Enter a full folder path, for example C:\\Downloads");
    }
    SetItemText(dialog, IDC_CAT_FOLDER, base_.path() + L"\\BOOKS");
    ClickItem(dialog, IDOK);
    ASSERT_TRUE(WaitDialogGone(dialog));
    std::wstring saved = Utf16FileText(CategoriesPath(DataFolder()));
    const size_t cat = saved.find(L"[Cat6]\r\nName=Books\r\nTypes=epub mobi azw3\r\nFolder=\r\n");
    EXPECT_NE(cat, std::wstring::npos) << Narrow(saved);

    // Edit from the tree: the node is selected, its own name in other letters is accepted.
    HTREEITEM books = nullptr;
    for (HTREEITEM root : TreeRoots(tree_))
        for (HTREEITEM c : TreeChildren(tree_, root))
            if (TreeItemText(tree_, c) == L"Books") books = c;
    ASSERT_NE(books, nullptr) << "the tree shows the new category";
    TreeSelect(tree_, books);
    Sleep(400);
    PostMessageW(window_, WM_COMMAND, ID_TREE_EDIT_CATEGORY, 0);
    dialog = Dialog(L"Edit category");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_CAT_NAME), L"Books");
    EXPECT_EQ(ItemText(dialog, IDC_CAT_FOLDER), base_.path() + L"\\Books");
    SetItemText(dialog, IDC_CAT_NAME, L"BOOKS");
    SetItemText(dialog, IDC_CAT_FOLDER, L"D:\\Library");
    ClickItem(dialog, IDOK);
    ASSERT_TRUE(WaitDialogGone(dialog));
    saved = Utf16FileText(CategoriesPath(DataFolder()));
    EXPECT_NE(saved.find(L"[Cat6]\r\nName=BOOKS\r\nTypes=epub mobi azw3\r\nFolder=D:\\Library\r\n"), std::wstring::npos)
        << Narrow(saved);

    // A categories.ini that cannot be replaced (a folder has taken its name): adding a
    // category and confirming Options both say so instead of looking saved.
    const std::wstring categories = CategoriesPath(DataFolder());
    ASSERT_TRUE(DeleteFileW(categories.c_str()));
    ASSERT_TRUE(CreateDirectoryW(categories.c_str(), nullptr));
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_ADD_CATEGORY, 0);
    dialog = Dialog(L"Add category");
    ASSERT_NE(dialog, nullptr);
    SetItemText(dialog, IDC_CAT_NAME, L"Comics");
    ClickItem(dialog, IDOK);
    ASSERT_TRUE(WaitDialogGone(dialog));
    const std::wstring refused = AnswerMessageBox(vonu_.id(), L"Vonu Download Manager", IDOK);
    EXPECT_EQ(refused.rfind(L"Cannot replace " + categories, 0), 0u) << Narrow(refused);
    HWND options = OpenOptions();
    ASSERT_NE(options, nullptr);
    ClickItem(options, IDOK);
    const std::wstring unsaved = AnswerBoxOver(options, L"Vonu Download Manager");
    EXPECT_EQ(unsaved.rfind(L"Cannot replace " + categories, 0), 0u) << Narrow(unsaved);
    ASSERT_TRUE(WaitDialogGone(options));
}

// An Exit from outside (as the setup program sends it) while one of these dialogs, or a dialog
// inside Options, is open ends the program normally: the command that opened the dialog
// must not touch the freed main window afterwards.
TEST_F(OptionsTest, ExitFromOutsideWhileADialogIsOpenEndsCleanly) {
    const struct {
        const char* name;
        int command;
        const wchar_t* title;
        int innerButton;
        const wchar_t* innerTitle;
    } dialogs[] = {
        {"options", ID_DOWNLOADS_OPTIONS, L"Options", 0, nullptr},
        {"site login in options", ID_DOWNLOADS_OPTIONS, L"Options", IDC_OPT_LOGIN_ADD, L"Site login"},
        {"connections per server in options", ID_DOWNLOADS_OPTIONS, L"Options", IDC_OPT_EXCEPTIONS,
         L"Connections per server"},
        {"add category", ID_DOWNLOADS_ADD_CATEGORY, L"Add category", 0, nullptr},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        ASSERT_NO_FATAL_FAILURE(Start());
        PostMessageW(window_, WM_COMMAND, d.command, 0);
        HWND dialog = Dialog(d.title);
        ASSERT_NE(dialog, nullptr);
        if (d.innerButton) {
            ClickPage(dialog, d.innerButton);
            ASSERT_NE(Dialog(d.innerTitle), nullptr);
        }
        PostMessageW(window_, WM_COMMAND, ID_APP_EXIT, 0);
        DWORD code = 1;
        ASSERT_TRUE(vonu_.WaitExit(15000, &code)) << "the program ends";
        EXPECT_EQ(code, 0u);
        vonu_ = Process();
    }
}

// The percentage of the download's row and the time it first showed.
struct Progress {
    double percent = -1;
    ULONGLONG at = 0;
};
double PercentShown(HWND list, int row) {
    const std::wstring status = ListViewText(list, row, 2);
    return status.find(L'%') == std::wstring::npos ? -1 : _wtof(status.c_str());
}
// The first change of the row's percentage after now, seen within 20 ms of the refresh that
// showed it (the window refreshes every 250 ms).
Progress NextPercent(HWND list, int row, DWORD ms) {
    const double now = PercentShown(list, row);
    Progress p;
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(20)) {
        const double v = PercentShown(list, row);
        if (v > now) return {v, GetTickCount64()};
    }
    return p;
}

TEST_F(OptionsTest, SpeedLimitSlowsTheRunningDownloadAndTheProxyCarriesTheNext) {
    ASSERT_TRUE(Servers().ok) << Narrow(Servers().error);
    const std::wstring tag = UniqueTag();
    const int64_t size = 20 * 1024 * 1024;
    const std::wstring list =
        L"[D1]\r\nUrl=" + NginxUrl(L"/slow/20mib.bin") + L"\r\nFile=20mib.bin\r\nPath=" + base_.path() +
        L"\\20mib.bin\r\nCat=General\r\nState=2\r\nAdded=134413227000000000\r\nConn=8\r\n\r\n"
        L"[D2]\r\nUrl=http://127.0.0.2:1/file?size=1000&tag=" + tag + L"\r\nFile=through-proxy.bin\r\nPath=" +
        base_.path() + L"\\through-proxy.bin\r\nCat=General\r\nState=2\r\nAdded=134413227000000000\r\nConn=1\r\n\r\n";
    ASSERT_NO_FATAL_FAILURE(Start(list, 2));
    ListViewSelect(list_, {0});
    Sleep(300);
    PostMessageW(window_, WM_COMMAND, ID_FILE_RESUME, 0);
    ASSERT_GE(NextPercent(list_, 0, 30000).percent, 0) << "the download runs";

    HWND options = OpenOptions();
    ASSERT_NE(options, nullptr);
    SetPageCheck(options, IDC_OPT_LIMITER_ON, true);
    SetPageText(options, IDC_OPT_SPEED_LIMIT, L"200");
    ChooseProxyMode(options, 2);
    SetPageText(options, IDC_OPT_PROXY_SERVER, L"127.0.0.1:" + std::to_wstring(Servers().fault));
    ClickItem(options, IDOK);
    ASSERT_TRUE(WaitDialogGone(options));
    Sleep(1000);
    const Progress first = NextPercent(list_, 0, 5000);
    Sleep(9000);
    const Progress last = NextPercent(list_, 0, 5000);
    ASSERT_GT(first.percent, 0);
    ASSERT_GT(last.percent, first.percent);
    const double rate = (last.percent - first.percent) / 100 * size / ((last.at - first.at) / 1000.0);
    EXPECT_NEAR(rate, 200 * 1024, 200 * 1024 * 0.1) << "bytes per second under a limit of 200 KB/s";
    PostMessageW(window_, WM_COMMAND, ID_FILE_STOP, 0);

    // 127.0.0.2:1 has nobody listening: only the proxy can answer.
    ListViewSelect(list_, {1});
    Sleep(300);
    PostMessageW(window_, WM_COMMAND, ID_FILE_RESUME, 0);
    std::vector<ReceivedRequest> seen;
    EXPECT_TRUE(WaitUntil(20000, [&] { return !(seen = RequestsWithTag(tag)).empty(); }));
    for (const ReceivedRequest& r : seen) EXPECT_EQ(r.target.rfind("http://127.0.0.2:1/file?", 0), 0u) << r.target;
    EXPECT_TRUE(WaitUntil(20000, [&] { return ListViewText(list_, 1, 2) == L"Complete"; }))
        << Narrow(ListViewText(list_, 1, 2));
}

}  // namespace
}  // namespace vonu
