// The add-from-address flow in the real Vonu.exe, driven from a second process as a user
// would drive it: an address typed into the address dialog becomes a download whose New
// Download dialog shows what the probe learnt, Download Now fetches the file, a duplicate
// address offers its three ways, bad addresses and paths are refused with their messages
// and nothing is added or lost, Save for Later asks for a queue when there are two, and
// what the user chose or typed before the probe reports is kept.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "l10n/display_format.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/resource.h"
#include "model/data_folder.h"
#include "model/text_encoding.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/support/window_helpers.h"

namespace vonu {
namespace {

using namespace test;

constexpr wchar_t kTwoQueues[] =
    L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n"
    L"[Q2]\r\nName=Night queue\r\nMaxActive=2\r\n\r\n";
constexpr wchar_t kAddressMessage[] = L"Enter an address that starts with http://, https:// or ftp://";

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

class NewDownloadTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        ASSERT_TRUE(Servers().ok) << Narrow(Servers().error);
    }
    void TearDown() override {
        Stop();
        ClearVonuData();
    }

    // Vonu on this list, saving new files under the test's folder, without progress and
    // completion windows unless `windows` is set.
    void Start(const std::wstring& listText, int rows, const std::wstring& language = L"en",
               bool windows = false) {
        const std::wstring shown = windows ? L"1" : L"0";
        // The clipboard watcher off: these tests set the clipboard for the address dialog.
        SeedVonuData(listText, L"Language=" + language + L"\r\nShowProgress=" + shown + L"\r\nShowComplete=" +
                                   shown + L"\r\nBaseDir=" + base_.path() + L"\r\nClipboard=0\r\n");
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), rows, &v);
        window_ = v.main, list_ = v.list, tree_ = v.tree, status_ = v.status;
        ASSERT_TRUE(up);
    }
    void Stop() {
        if (!vonu_.started()) return;
        // A failed test may leave a dialog open: close the process's dialogs first.
        for (int i = 0; i < 5; ++i) {
            HWND open = AnyDialog();
            if (!open) break;
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            WaitDialogGone(open, 3000);
        }
        EXPECT_TRUE(ExitVonu(vonu_, window_));
        vonu_ = Process();
        window_ = nullptr;
    }
    HWND AnyDialog() {
        const std::vector<HWND> open = TopWindows(vonu_.id(), L"#32770");
        return open.empty() ? nullptr : open.front();
    }

    HWND Dialog(const std::wstring& title) { return WaitForProcessDialog(vonu_.id(), title); }
    std::wstring Answer(int button) { return AnswerMessageBox(vonu_.id(), L"Vonu", button); }
    HWND OpenAddressDialog() {
        PostMessageW(window_, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
        return Dialog(L"Add a download link");
    }
    // Types the address into a fresh address dialog and presses OK.
    void EnterAddress(const std::wstring& address) {
        HWND dialog = OpenAddressDialog();
        ASSERT_NE(dialog, nullptr) << "the address dialog opens";
        SetItemText(dialog, IDC_ADDRESS_EDIT, address);
        ClickItem(dialog, IDOK);
        ASSERT_TRUE(WaitDialogGone(dialog));
    }
    bool WaitForInfo(HWND dialog, const std::wstring& line, DWORD ms = 15000) {
        return WaitUntil(ms, [&] { return ItemText(dialog, IDC_ND_SIZE) == line; });
    }
    void Press(HWND dialog, int id) {
        ClickItem(dialog, id);
        EXPECT_TRUE(WaitDialogGone(dialog)) << "the dialog closes";
    }

    int RowOf(const std::wstring& fileName) {
        for (int r = 0; r < ListViewRowCount(list_); ++r)
            if (ListViewText(list_, r, 0) == fileName) return r;
        return -1;
    }
    std::wstring StatusOf(const std::wstring& fileName) {
        const int row = RowOf(fileName);
        return row < 0 ? L"(no row)" : ListViewText(list_, row, 2);
    }
    std::vector<std::wstring> FilesUnderQueue(const std::wstring& queue) {
        HTREEITEM queues = TreeRoots(tree_).at(3);
        for (HTREEITEM c : TreeChildren(tree_, queues))
            if (TreeItemText(tree_, c) == queue) TreeSelect(tree_, c);
        Sleep(600);  // the list follows the node on its next refresh
        std::vector<std::wstring> files;
        for (int r = 0; r < ListViewRowCount(list_); ++r) files.push_back(ListViewText(list_, r, 0));
        TreeSelect(tree_, TreeRoots(tree_).at(0));
        return files;
    }

    TempFolder base_;
    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr, tree_ = nullptr, status_ = nullptr;
};

// From a typed address to the finished file, then the same address again through each of
// the duplicate dialog's ways.
TEST_F(NewDownloadTest, TypedAddressBecomesAFinishedFileAndDuplicatesOfferTheirChoices) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    const std::wstring url = NginxUrl(L"/files/4mib.bin");
    const std::wstring target = base_.File(L"4mib.bin");
    const std::string bytes = PatternBytes(4 * 1048576);

    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_ND_URL), url);
    EXPECT_TRUE(WaitForInfo(dialog, L"4.00 MB")) << Narrow(ItemText(dialog, IDC_ND_SIZE));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), target);
    EXPECT_EQ(ItemText(dialog, IDC_ND_CATEGORY), L"General");
    EXPECT_EQ(ListViewRowCount(list_), 1) << "the new download is in the list while the dialog is open";
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitUntil(60000, [&] { return StatusOf(L"4mib.bin") == L"Complete"; }))
        << Narrow(StatusOf(L"4mib.bin"));
    EXPECT_EQ(ReadBytes(target), bytes);

    // Complete: the first choice is preselected; "Show the existing download" opens its properties.
    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    HWND duplicate = Dialog(L"This link is already in the list");
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(ItemText(duplicate, IDC_DUP_TEXT),
              L"You already downloaded \"4mib.bin\" from this link. What do you want to do?");
    EXPECT_EQ(ItemText(duplicate, IDC_DUP_EXISTING), L"Show the existing download");
    EXPECT_TRUE(ItemChecked(duplicate, IDC_DUP_NEW_NAME));
    ClickItem(duplicate, IDC_DUP_EXISTING);
    Press(duplicate, IDOK);
    HWND properties = Dialog(L"4mib.bin properties");
    ASSERT_NE(properties, nullptr) << "the file properties open";
    EXPECT_EQ(ItemText(properties, IDC_PR_NAME), L"4mib.bin");
    EXPECT_EQ(ItemText(properties, IDC_PR_STATUS), L"Complete");
    EXPECT_EQ(ItemText(properties, IDC_PR_SIZE), L"4.00 MB  (4194304 bytes)");
    EXPECT_EQ(ItemText(properties, IDC_PR_PATH), target);
    EXPECT_EQ(ItemText(properties, IDC_PR_ADDRESS), url);
    EXPECT_EQ(ItemText(properties, IDC_PR_REFERER), L"None");
    EXPECT_EQ(ItemText(properties, IDC_PR_DATES).rfind(L"Added ", 0), 0u);
    EXPECT_NE(ItemText(properties, IDC_PR_DATES).find(L"    Last try "), std::wstring::npos);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(properties, IDC_PR_ADDRESS), GWL_STYLE) & ES_READONLY)
        << "a complete download's address cannot change";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(properties, IDC_PR_OPEN)));
    EXPECT_EQ(LOWORD(SendMessageW(properties, DM_GETDEFID, 0, 0)), IDC_PR_OPEN)
        << "Open is the default button";
    Press(properties, IDCANCEL);
    EXPECT_EQ(ListViewRowCount(list_), 1);

    // "Add it again under a new file name": a new download with a free name; Cancel removes it.
    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    duplicate = Dialog(L"This link is already in the list");
    ASSERT_NE(duplicate, nullptr);
    Press(duplicate, IDOK);
    dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitForInfo(dialog, L"4.00 MB"));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), base_.File(L"4mib (2).bin"));
    EXPECT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(list_) == 2; }));
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(list_) == 1; }))
        << "Cancel removes the new download";
    EXPECT_EQ(ReadBytes(target), bytes) << "the finished file is untouched";

    // "Download it again and replace the existing file": the old download and its file go, the
    // new one takes the same path and downloads again.
    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    duplicate = Dialog(L"This link is already in the list");
    ASSERT_NE(duplicate, nullptr);
    ClickItem(duplicate, IDC_DUP_REPLACE);
    Press(duplicate, IDOK);
    dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(FileExists(target)) << "the existing file was deleted";
    EXPECT_TRUE(WaitForInfo(dialog, L"4.00 MB"));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), target);
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitUntil(60000, [&] { return StatusOf(L"4mib.bin") == L"Complete"; }));
    EXPECT_EQ(ListViewRowCount(list_), 1);
    EXPECT_EQ(ReadBytes(target), bytes);
}

// The whole way a user takes: the typed address, the probed size, Download Now, the progress
// window while the file arrives, then the completion window in its place.
TEST_F(NewDownloadTest, DownloadNowShowsProgressThenCompletion) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0, L"en", true));
    const std::wstring url = NginxUrl(L"/slow/4mib.bin");  // 64 KB/s per connection: about 8 s
    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitForInfo(dialog, L"4.00 MB")) << Narrow(ItemText(dialog, IDC_ND_SIZE));
    Press(dialog, IDOK);

    HWND progress = WaitForTopWindow(vonu_.id(), L"#32770", L"% 4mib.bin", 10000);
    ASSERT_NE(progress, nullptr) << "the progress window opens with Download Now";
    EXPECT_EQ(ItemText(progress, IDC_PROGRESS_ADDRESS), url);
    EXPECT_EQ(ItemText(progress, IDC_PROGRESS_SIZE), L"4.00 MB");
    EXPECT_TRUE(WaitUntil(15000, [&] {
        return ItemText(progress, IDC_PROGRESS_STATUS) == L"Downloading..." &&
               ControlText(progress).rfind(L"0% ", 0) != 0;
    })) << "progress shows: " << Narrow(ControlText(progress)) << " / "
        << Narrow(ItemText(progress, IDC_PROGRESS_STATUS));
    EXPECT_GE(ListViewRowCount(GetDlgItem(progress, IDC_PROGRESS_CONNECTIONS)), 2) << "one row per connection";

    HWND done = WaitForTopWindow(vonu_.id(), L"#32770", L"Download complete  4mib.bin", 60000);
    ASSERT_NE(done, nullptr) << "the completion window opens";
    EXPECT_FALSE(IsWindow(progress) && IsWindowVisible(progress)) << "the progress window closed";
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_PATH), base_.File(L"4mib.bin"));
    EXPECT_EQ(ItemText(done, IDC_COMPLETE_SIZE), L"4.00 MB");
    EXPECT_EQ(ReadBytes(base_.File(L"4mib.bin")), PatternBytes(4 * 1048576));
    EXPECT_TRUE(WaitUntil(3000, [&] { return StatusOf(L"4mib.bin") == L"Complete"; }));
    Press(done, IDCANCEL);
}

// Refused addresses and paths: the message, the dialog stays with the user's text, and the
// list holds nothing more (or only the one download that is being edited).
void SetClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// The address dialog takes one address from the clipboard, trimmed and selected whole.
TEST_F(NewDownloadTest, AddressDialogPrefillsOneAddressFromTheClipboard) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    struct Case {
        std::wstring clipboard, prefill;
    };
    const Case cases[] = {
        {L"  HTTPS://example.org/files/a.zip \r\n", L"HTTPS://example.org/files/a.zip"},
        {L"https://example.org/a.zip\r\nhttps://example.org/b.zip", L""},
        {L"https://example.org/my file.zip", L""},
        {L"example.org/a.zip", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.clipboard));
        ASSERT_NO_FATAL_FAILURE(SetClipboardText(c.clipboard));
        HWND address = OpenAddressDialog();
        ASSERT_NE(address, nullptr);
        EXPECT_EQ(ItemText(address, IDC_ADDRESS_EDIT), c.prefill);
        const auto selection =
            static_cast<DWORD>(SendMessageW(GetDlgItem(address, IDC_ADDRESS_EDIT), EM_GETSEL, 0, 0));
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), c.prefill.size()) << "the whole text is selected";
        EXPECT_EQ(FocusedControl(address), GetDlgItem(address, IDC_ADDRESS_EDIT));
        Press(address, IDCANCEL);
    }
    EXPECT_EQ(ListViewRowCount(list_), 0) << "a cancelled address dialog adds nothing";
}

TEST_F(NewDownloadTest, BadAddressesAndPathsAreRefusedAndNothingIsAddedOrLost) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    HWND address = OpenAddressDialog();
    ASSERT_NE(address, nullptr);
    const std::wstring port = std::to_wstring(Servers().http);
    const std::vector<std::wstring> refused = {L"",
                                               L"   ",
                                               L"ftp:x",
                                               L"127.0.0.1:" + port + L"/files/small.bin",
                                               L"www.example.com/file.zip",
                                               L"mailto:someone@example.com"};
    for (const std::wstring& text : refused) {
        SCOPED_TRACE(Narrow(text));
        SetItemText(address, IDC_ADDRESS_EDIT, text);
        ClickItem(address, IDOK);
        EXPECT_EQ(Answer(IDOK), kAddressMessage);
        EXPECT_TRUE(IsWindowVisible(address)) << "the address dialog stays";
        EXPECT_TRUE(WaitUntil(3000, [&] {
            return FocusedControl(address) == GetDlgItem(address, IDC_ADDRESS_EDIT);
        })) << "the focus is back in the edit box";
        EXPECT_EQ(ListViewRowCount(list_), 0);
    }
    // A scheme in capitals is an address; the text is trimmed.
    const std::wstring capital = L"HTTP://127.0.0.1:" + port + L"/files/small.bin";
    SetItemText(address, IDC_ADDRESS_EDIT, L"  " + capital + L" \t");
    ClickItem(address, IDOK);
    ASSERT_TRUE(WaitDialogGone(address));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_ND_URL), capital);
    EXPECT_TRUE(
        WaitUntil(15000, [&] { return ItemText(dialog, IDC_ND_SIZE) != L"Getting file information..."; }));

    WriteBytes(base_.File(L"plain.txt"), "keep me");
    struct Case {
        std::wstring path;
        std::wstring message;  // exact, or the start of it when `prefix`
        bool prefix;
    };
    const std::wstring cannot = L"Cannot create the file: ";
    std::vector<Case> cases = {
        {L"C:\\", L"Choose where to save the file", false},
        {L"small.bin", L"Choose where to save the file", false},
        {L"  " + base_.path() + L"\\  ", L"Choose where to save the file", false},
        {base_.File(L"plain.txt") + L"\\inside\\small.bin", cannot, true},
        {base_.File(L"sub") + L"\\a<b.bin", cannot, true},
        {base_.File(L"sub") + L"\\a|b.bin", cannot, true},
        {base_.File(L"sub") + L"\\what?.bin", cannot, true},
        {base_.File(L"sub") + L"\\star*.bin", cannot, true},
        {base_.File(L"sub") + L"\\quote\".bin", cannot, true},
        {base_.File(L"sub") + L"\\colon:.bin", cannot, true},
        {base_.File(L"sub") + L"\\ctrl\x07.bin", cannot, true},
    };
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
            cases.push_back({root + L"folder\\small.bin", cannot, true});
            break;
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        SetItemText(dialog, IDC_ND_PATH, c.path);
        ClickItem(dialog, IDOK);
        const std::wstring message = Answer(IDOK);
        if (c.prefix) {
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << Narrow(message);
            EXPECT_GT(message.size(), c.message.size()) << "the reason follows";
        } else {
            EXPECT_EQ(message, c.message);
        }
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays";
        EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), c.path) << "with the user's text";
        EXPECT_EQ(ListViewRowCount(list_), 1);
    }
    EXPECT_FALSE(FileExists(base_.File(L"sub"))) << "a refused path makes no folder";
    EXPECT_EQ(ReadBytes(base_.File(L"plain.txt")), "keep me");

    // An existing file: the free name is offered; Cancel returns to the dialog, OK takes it.
    WriteBytes(base_.File(L"exists.bin"), "old");
    SetItemText(dialog, IDC_ND_PATH, base_.File(L"exists.bin"));
    ClickItem(dialog, IDC_ND_LATER);
    EXPECT_EQ(Answer(IDCANCEL),
              L"A file with this name already exists.\nThe new file will be saved as:\nexists (2).bin");
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), base_.File(L"exists.bin"));
    ClickItem(dialog, IDC_ND_LATER);
    EXPECT_EQ(Answer(IDOK).rfind(L"A file with this name already exists.", 0), 0u);
    ASSERT_TRUE(WaitDialogGone(dialog)) << "OK takes the free name and closes; one queue: no chooser";
    EXPECT_TRUE(WaitUntil(3000, [&] { return StatusOf(L"exists (2).bin") == L"Queued"; }))
        << Narrow(StatusOf(L"exists (2).bin"));
    EXPECT_EQ(FilesUnderQueue(L"Default queue"), std::vector<std::wstring>{L"exists (2).bin"});
    EXPECT_EQ(ReadBytes(base_.File(L"exists.bin")), "old") << "the existing file is never overwritten";
}

// The probe answers after 3 s: what the user picks or types before then is kept. Save for
// Later with two queues asks which one; a cancelled chooser means the default queue. An
// unfinished duplicate offers to resume the existing download.
TEST_F(NewDownloadTest, ChoicesMadeBeforeTheProbeReportsAreKeptAndTwoQueuesAsk) {
    const std::wstring slow = NginxUrl(L"/slow/20mib.bin");
    const std::wstring list =
        L"[D1]\r\nUrl=" + slow + L"\r\nFile=slow.bin\r\nPath=" + base_.File(L"slow.bin") +
        L"\r\nCat=General\r\nUserPath=1\r\nSize=-1\r\nState=2\r\nConn=1\r\nQueue=0\r\n\r\n" + kTwoQueues;
    ASSERT_NO_FATAL_FAILURE(Start(list, 1));

    // A category picked while the probe runs: the probe's name lands in that category's folder.
    const std::wstring late = L"&late=3000&tag=" + UniqueTag();
    ASSERT_NO_FATAL_FAILURE(
        EnterAddress(FaultUrl(L"/file?size=5000&cd=attachment%3B%20filename%3D%22song.mp3%22" + late)));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_ND_SIZE), L"Getting file information...");
    SelectComboEntry(dialog, IDC_ND_CATEGORY, 2);
    EXPECT_TRUE(WaitUntil(3000, [&] {
        return ItemText(dialog, IDC_ND_PATH) == base_.File(L"Documents\\file");
    })) << Narrow(ItemText(dialog, IDC_ND_PATH));
    EXPECT_EQ(ItemText(dialog, IDC_ND_CATEGORY), L"Documents");
    EXPECT_TRUE(WaitForInfo(dialog, L"4.88 KB")) << Narrow(ItemText(dialog, IDC_ND_SIZE));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), base_.File(L"Documents\\song.mp3")) << "not Music";
    EXPECT_EQ(ItemText(dialog, IDC_ND_CATEGORY), L"Documents");
    ClickItem(dialog, IDC_ND_LATER);
    HWND chooser = Dialog(L"Save for later");
    ASSERT_NE(chooser, nullptr) << "two queues: the chooser asks";
    EXPECT_EQ(ItemText(chooser, IDC_QC_QUEUE), L"Default queue") << "the first queue is selected";
    SelectComboEntry(chooser, IDC_QC_QUEUE, 1);
    Press(chooser, IDOK);
    EXPECT_TRUE(WaitDialogGone(dialog));
    EXPECT_TRUE(WaitUntil(3000, [&] { return StatusOf(L"song.mp3") == L"Queued"; }));
    EXPECT_EQ(FilesUnderQueue(L"Night queue"), std::vector<std::wstring>{L"song.mp3"});

    // A path typed while the probe runs stays; the probe's name is not applied.
    ASSERT_NO_FATAL_FAILURE(
        EnterAddress(FaultUrl(L"/file?size=6000&cd=attachment%3B%20filename%3D%22movie.mp4%22" + late)));
    dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    const std::wstring typed = base_.File(L"mine\\typed.bin");
    SetItemText(dialog, IDC_ND_PATH, typed);
    EXPECT_TRUE(WaitForInfo(dialog, L"5.86 KB"));
    Sleep(600);  // two more timer steps
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), typed);
    // The path of another download in the list (no file on disk yet) is taken as well: two
    // downloads must not finish into one file.
    SetItemText(dialog, IDC_ND_PATH, base_.File(L"slow.bin"));
    ClickItem(dialog, IDC_ND_LATER);
    EXPECT_EQ(Answer(IDCANCEL),
              L"A file with this name already exists.\nThe new file will be saved as:\nslow (2).bin");
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), base_.File(L"slow.bin"));
    SetItemText(dialog, IDC_ND_PATH, typed);
    ClickItem(dialog, IDC_ND_LATER);
    chooser = Dialog(L"Save for later");
    ASSERT_NE(chooser, nullptr);
    Press(chooser, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(dialog));
    EXPECT_TRUE(WaitUntil(3000, [&] { return StatusOf(L"typed.bin") == L"Queued"; }));
    EXPECT_EQ(FilesUnderQueue(L"Default queue"), std::vector<std::wstring>{L"typed.bin"})
        << "a cancelled chooser means the default queue";

    // An unfinished duplicate: "Resume the existing download" is preselected and starts it.
    ASSERT_NO_FATAL_FAILURE(EnterAddress(slow));
    HWND duplicate = Dialog(L"This link is already in the list");
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(
        ItemText(duplicate, IDC_DUP_TEXT),
        L"\"slow.bin\" from this link is already in the list and not finished. What do you want to do?");
    EXPECT_EQ(ItemText(duplicate, IDC_DUP_EXISTING), L"Resume the existing download");
    EXPECT_TRUE(ItemChecked(duplicate, IDC_DUP_EXISTING));
    Press(duplicate, IDOK);
    EXPECT_TRUE(WaitUntil(10000, [&] {
        return StatusBarText(status_, 0).find(L" 1 downloading,") != std::wstring::npos;
    })) << Narrow(StatusBarText(status_, 0));
    EXPECT_EQ(ListViewRowCount(list_), 3) << "nothing new was added";
    PostMessageW(window_, WM_COMMAND, ID_DOWNLOADS_STOP_ALL, 0);
}

// While New Download is open no second address dialog opens; Exit meanwhile (the setup
// program posts it, the tray menu offers it) ends the program cleanly, and the download
// nobody confirmed is not in the saved list.
TEST_F(NewDownloadTest, ExitWhileTheDialogIsOpenSavesNoUnconfirmedDownload) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    ASSERT_NO_FATAL_FAILURE(EnterAddress(NginxUrl(L"/files/small.bin")));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(list_) == 1; }));
    // The tray menu's "Add new download" reaches the disabled window too: one dialog at a time.
    PostMessageW(window_, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
    EXPECT_EQ(WaitForProcessDialog(vonu_.id(), L"Add a download link", 1500), nullptr);
    PostMessageW(window_, WM_COMMAND, ID_APP_EXIT, 0);
    DWORD code = 1;
    ASSERT_TRUE(vonu_.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    vonu_ = Process();
    window_ = nullptr;
    const std::string saved = ReadBytes(DataFolder() + L"\\list.ini");
    const std::wstring text =
        saved.size() >= 2
            ? std::wstring(reinterpret_cast<const wchar_t*>(saved.data() + 2), (saved.size() - 2) / 2)
            : std::wstring();
    EXPECT_NE(text.find(L"[Q1]"), std::wstring::npos) << "the list was saved";
    EXPECT_EQ(text.find(L"small.bin"), std::wstring::npos) << Narrow(text);
}

// With the main window hidden in the notification area (its tray menu's "Add new download"),
// New Download opens topmost; a duplicate brings the main window back first.
TEST_F(NewDownloadTest, HiddenMainWindowPutsTheDialogsInFront) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    const std::wstring url = NginxUrl(L"/files/small.bin");
    ShowWindow(window_, SW_HIDE);
    ASSERT_TRUE(WaitUntil(3000, [&] { return !IsWindowVisible(window_); }));
    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowVisible(window_)) << "New Download alone comes forward";
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitUntil(15000, [&] { return StatusOf(L"small.bin") == L"Complete"; }));

    ASSERT_NO_FATAL_FAILURE(EnterAddress(url));
    HWND duplicate = Dialog(L"This link is already in the list");
    ASSERT_NE(duplicate, nullptr);
    EXPECT_TRUE(IsWindowVisible(window_)) << "the main window is brought forward for the duplicate";
    Press(duplicate, IDCANCEL);
    EXPECT_EQ(ListViewRowCount(list_), 1);
}

// "..." opens the save-file dialog in the path's folder; the chosen file replaces the path
// and counts as the user's, so the probe's later name is not applied.
TEST_F(NewDownloadTest, FileChosenWithTheSaveDialogIsKept) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    ASSERT_NO_FATAL_FAILURE(EnterAddress(FaultUrl(
        L"/file?size=5000&late=3000&cd=attachment%3B%20filename%3D%22late.zip%22&tag=" + UniqueTag())));
    HWND dialog = Dialog(L"New Download");
    ASSERT_NE(dialog, nullptr);
    ClickItem(dialog, IDC_ND_BROWSE);
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil(10000, [&] {
        HWND open = AnyDialog();
        if (open && open != dialog) picker = open;
        return picker != nullptr;
    })) << "the save-file dialog opens";
    HWND name = nullptr;
    for (int id : {0x47c, 0x480}) {  // the file name box: cmb13 (a combo box's edit) or edt1
        if (HWND item = GetDlgItem(picker, id)) {
            name = WindowClass(item) == L"ComboBox" ? FindWindowExW(item, nullptr, L"Edit", nullptr) : item;
            if (name) break;
        }
    }
    ASSERT_NE(name, nullptr) << "no file name box in " << Narrow(WindowText(picker));
    const std::wstring chosen = base_.File(L"chosen.bin");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &result);
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitDialogGone(picker));
    EXPECT_TRUE(WaitUntil(3000, [&] { return ItemText(dialog, IDC_ND_PATH) == chosen; }))
        << Narrow(ItemText(dialog, IDC_ND_PATH));
    EXPECT_TRUE(WaitForInfo(dialog, L"4.88 KB"));
    Sleep(600);  // two more timer steps
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), chosen) << "the probe's late.zip is not applied";
    Press(dialog, IDOK);
    EXPECT_TRUE(WaitUntil(15000, [&] { return StatusOf(L"chosen.bin") == L"Complete"; }))
        << Narrow(StatusOf(L"chosen.bin"));
    EXPECT_EQ(ReadBytes(chosen), PatternBytes(5000));
}

// Properties from the list (Enter, then a double click): a stopped download's address may be
// changed, and OK stores it and the description.
TEST_F(NewDownloadTest, PropertiesOfAStoppedDownloadChangeItsAddress) {
    const std::wstring old = NginxUrl(L"/files/small.bin");
    const std::wstring list =
        L"[D1]\r\nUrl=" + old + L"\r\nFile=small.bin\r\nPath=" + base_.File(L"small.bin") +
        L"\r\nCat=General\r\nReferer=https://example.org/page\r\nSize=1000\r\nState=2\r\n"
        L"Added=134405910000000000\r\nConn=1\r\nSegs=0,999,250;\r\n\r\n";
    ASSERT_NO_FATAL_FAILURE(Start(list, 1));
    ListViewSelect(list_, {0});
    PostMessageW(list_, WM_KEYDOWN, VK_RETURN, 1);  // Enter in the list
    PostMessageW(list_, WM_KEYUP, VK_RETURN, 0xC0000001);
    HWND properties = Dialog(L"small.bin properties");
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(ItemText(properties, IDC_PR_STATUS), L"Stopped, can be resumed  (25.0% done)");
    EXPECT_EQ(ItemText(properties, IDC_PR_SIZE), L"1000 Bytes");
    EXPECT_EQ(ItemText(properties, IDC_PR_REFERER), L"https://example.org/page");
    EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(properties, IDC_PR_ADDRESS), GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(properties, IDC_PR_OPEN)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(properties, IDC_PR_OPEN_WITH)));
    EXPECT_EQ(FocusedControl(properties), GetDlgItem(properties, IDOK));
    // An address the download cannot take is refused with the user's text kept.
    for (const wchar_t* refused : {L"ftp://127.0.0.1/small.bin", L"127.0.0.1/small.bin", L""}) {
        SCOPED_TRACE(Narrow(refused));
        SetItemText(properties, IDC_PR_ADDRESS, refused);
        ClickItem(properties, IDOK);
        EXPECT_EQ(Answer(IDOK), L"Enter an address that starts with http:// or https://");
        EXPECT_TRUE(IsWindowVisible(properties)) << "the dialog stays open";
        EXPECT_EQ(ItemText(properties, IDC_PR_ADDRESS), refused);
    }
    const std::wstring moved = NginxUrl(L"/files/4mib.bin");
    SetItemText(properties, IDC_PR_ADDRESS, L" " + moved + L" ");
    SetItemText(properties, IDC_PR_DESCRIPTION, L"Moved to the bigger file");
    Press(properties, IDOK);
    EXPECT_TRUE(WaitUntil(3000, [&] { return ListViewText(list_, 0, 6) == L"Moved to the bigger file"; }));

    ListViewSelect(list_, {0});
    // A double click on the row: just below the header, near the left edge.
    RECT header{}, frame{};
    GetWindowRect(ChildOfClass(list_, L"SysHeader32"), &header);
    GetWindowRect(list_, &frame);
    const LPARAM row = MAKELPARAM(30, header.bottom - frame.top + 6);
    PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, row);
    PostMessageW(list_, WM_LBUTTONUP, 0, row);
    PostMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, row);
    PostMessageW(list_, WM_LBUTTONUP, 0, row);
    properties = Dialog(L"small.bin properties");
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(ItemText(properties, IDC_PR_ADDRESS), moved) << "trimmed and stored";
    Press(properties, IDCANCEL);
}

bool LeftToRight(HWND control) {
    const LONG_PTR ex = GetWindowLongPtrW(control, GWL_EXSTYLE);
    return !(ex & (WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT));
}

// Arabic: the dialogs are mirrored and translated, while the address and path edits read
// left to right (a right-to-left edit would scramble them).
TEST_F(NewDownloadTest, ArabicDialogsAreMirroredWithLeftToRightAddressesAndPaths) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0, L"ar"));
    SetArabicInterface(true);  // this process looks the expected texts up in the same table
    const std::wstring url = NginxUrl(L"/files/small.bin");
    PostMessageW(window_, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
    HWND address = Dialog(Translate(L"Add a download link"));
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(WindowText(address), Translate(L"Add a download link"));
    EXPECT_TRUE(GetWindowLongPtrW(address, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    EXPECT_TRUE(LeftToRight(GetDlgItem(address, IDC_ADDRESS_EDIT)));
    SetItemText(address, IDC_ADDRESS_EDIT, url);
    ClickItem(address, IDOK);
    ASSERT_TRUE(WaitDialogGone(address));

    HWND dialog = Dialog(Translate(L"New Download"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    for (int id : {IDC_ND_URL, IDC_ND_PATH}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(LeftToRight(GetDlgItem(dialog, id)));
    }
    EXPECT_EQ(ItemText(dialog, IDOK), Translate(L"Download Now"));
    EXPECT_EQ(ItemText(dialog, IDC_ND_LATER), Translate(L"Save for Later"));
    EXPECT_EQ(ItemText(dialog, IDC_ND_URL), url);
    EXPECT_TRUE(WaitForInfo(dialog, SizeText(1000))) << Narrow(ItemText(dialog, IDC_ND_SIZE));
    EXPECT_NE(SizeText(1000), L"1000 Bytes");
    EXPECT_EQ(ItemText(dialog, IDC_ND_CATEGORY), Translate(L"General"));
    EXPECT_EQ(ItemText(dialog, IDC_ND_PATH), base_.File(L"small.bin"));
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(list_) == 0; }));
    SetArabicInterface(false);
}

}  // namespace
}  // namespace vonu
