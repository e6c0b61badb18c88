// The real Vonu.exe's main window, driven from a second process as a user's clicks would
// drive it: the list shows the seeded downloads, the tree's nodes filter it, commands change
// the model, the list survives a restart, and the Arabic window is mirrored and translated.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/resource.h"
#include "model/data_folder.h"
#include "model/text_encoding.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/window_helpers.h"

namespace vonu {
namespace {

using namespace test;

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
    }
    void TearDown() override {
        Stop();
        ClearVonuData();
    }

    // Starts Vonu on the seeded data and waits for the list to show `rows` rows.
    void Start(int rows) {
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), rows, &v);
        window_ = v.main, list_ = v.list, tree_ = v.tree, status_ = v.status;
        ASSERT_TRUE(up) << "rows shown: " << (list_ ? ListViewRowCount(list_) : -1);
    }
    void Stop() {
        if (!vonu_.started()) return;
        DWORD code = 1;
        EXPECT_TRUE(ExitVonu(vonu_, window_, &code));
        EXPECT_EQ(code, 0u);
        vonu_ = Process();
        window_ = nullptr;
    }

    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> texts;
        for (int r = 0; r < ListViewRowCount(list_); ++r) texts.push_back(ListViewText(list_, r, column));
        return texts;
    }
    int RowOf(const std::wstring& fileName) {
        auto names = Column(0);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == fileName) return static_cast<int>(i);
        return -1;
    }
    std::wstring StatusOf(const std::wstring& fileName) {
        const int row = RowOf(fileName);
        return row < 0 ? L"(no row)" : ListViewText(list_, row, 2);
    }
    void Command(int id) { PostMessageW(window_, WM_COMMAND, id, 0); }
    void SelectFile(const std::wstring& fileName) {
        const int row = RowOf(fileName);
        ASSERT_GE(row, 0) << "no row for the file";
        ListViewSelect(list_, {row});
    }
    bool WaitForStatus(const std::wstring& fileName, const std::wstring& status) {
        return WaitUntil(5000, [&] { return StatusOf(fileName) == status; });
    }
    HTREEITEM Root(int index) { return TreeRoots(tree_).at(index); }
    HTREEITEM ChildNamed(HTREEITEM parent, const std::wstring& text) {
        for (HTREEITEM c : TreeChildren(tree_, parent))
            if (TreeItemText(tree_, c) == text) return c;
        return nullptr;
    }
    // The visible dialog (#32770) the Vonu process shows, waiting up to 10 s for one.
    HWND VonuDialog() { return WaitForTopWindow(vonu_.id(), L"#32770", L"", 10000); }
    void Confirm(HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDOK);
        ASSERT_NE(ok, nullptr);
        PostMessageW(ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    }

    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr, tree_ = nullptr, status_ = nullptr;
};

TEST_F(MainWindowTest, ListShowsTheSeededDownloadsWithTheirColumns) {
    SeedVonuData(SampleListText(), L"Language=en\r\nSpeedLimitKB=512\r\nLimiterOn=1\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(7));
    const std::vector<std::vector<std::wstring>> expected = {
        {L"ubuntu-24.04-desktop-amd64.iso", L"5.69 GB", L"Complete", L"", L"", L""},
        {L"report-2026.pdf", L"2.30 MB", L"25.00%", L"", L"", L"Yearly report"},
        {L"holiday-video.mp4", L"700.00 MB", L"Error", L"", L"", L""},
        {L"album.zip", L"150.00 MB", L"Queued", L"", L"", L""},
        {L"lecture.mp4", L"Video", L"Stopped", L"", L"", L"Week 3 lecture"},
        {L"notes.txt", L"", L"Stopped", L"", L"", L"From the course page"},
        {L"song.mp3", L"5.00 MB", L"Complete", L"", L"", L""},
    };
    const auto rows = ListViewRows(list_, 7);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(r);
        for (int c : {0, 1, 2, 3, 4}) EXPECT_EQ(rows[r][c], expected[r][c]) << "column " << c;
        EXPECT_EQ(rows[r][6], expected[r][5]);
        EXPECT_FALSE(rows[r][5].empty()) << "the last attempt or added date is shown";
    }
    EXPECT_EQ(rows[1][5].substr(0, 11), L"Dec 08 2026");

    EXPECT_EQ(ListViewHeaderText(list_, 0), L"File Name");
    EXPECT_EQ(ListViewHeaderText(list_, 5), L"Last attempt");
    EXPECT_EQ(StatusBarText(status_, 0), L"  0 downloading, 7 in list");
    EXPECT_EQ(StatusBarText(status_, 1), L"  Total speed 0.00 KB/sec  (limited to 512.00 KB/sec)");
    EXPECT_EQ(StatusBarText(status_, 2), L"  No queue is running");

    std::vector<std::wstring> roots;
    for (HTREEITEM r : TreeRoots(tree_)) roots.push_back(TreeItemText(tree_, r));
    EXPECT_EQ(roots, (std::vector<std::wstring>{L"All Downloads", L"Incomplete", L"Completed", L"Queues"}));
    std::vector<std::wstring> categories, queues;
    for (HTREEITEM c : TreeChildren(tree_, Root(0))) categories.push_back(TreeItemText(tree_, c));
    for (HTREEITEM c : TreeChildren(tree_, Root(3))) queues.push_back(TreeItemText(tree_, c));
    EXPECT_EQ(categories, (std::vector<std::wstring>{L"Compressed", L"Documents", L"Music", L"Programs",
                                                     L"Video", L"General"}))
        << "the general category is the last child";
    EXPECT_EQ(queues, (std::vector<std::wstring>{L"Default queue", L"Night queue"}));
}

TEST_F(MainWindowTest, TreeNodesFilterTheList) {
    SeedVonuData(SampleListText(), L"Language=en\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(7));
    struct Case {
        const char* node;
        HTREEITEM item;
        std::vector<std::wstring> files;
    };
    const std::vector<Case> cases = {
        {"Completed", Root(2), {L"ubuntu-24.04-desktop-amd64.iso", L"song.mp3"}},
        {"Incomplete",
         Root(1),
         {L"report-2026.pdf", L"holiday-video.mp4", L"album.zip", L"lecture.mp4", L"notes.txt"}},
        {"Queues", Root(3), {L"album.zip"}},
        {"Night queue", ChildNamed(Root(3), L"Night queue"), {L"album.zip"}},
        {"Default queue", ChildNamed(Root(3), L"Default queue"), {}},
        {"Video", ChildNamed(Root(0), L"Video"), {L"holiday-video.mp4", L"lecture.mp4"}},
        {"General", ChildNamed(Root(0), L"General"), {L"notes.txt"}},
        {"All Downloads",
         Root(0),
         {L"ubuntu-24.04-desktop-amd64.iso", L"report-2026.pdf", L"holiday-video.mp4", L"album.zip",
          L"lecture.mp4", L"notes.txt", L"song.mp3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        ASSERT_NE(c.item, nullptr);
        TreeSelect(tree_, c.item);
        EXPECT_TRUE(WaitUntil(3000, [&] { return Column(0) == c.files; }));
        EXPECT_EQ(Column(0), c.files);
    }
}

TEST_F(MainWindowTest, CommandsChangeTheModelAndTheListSurvivesARestart) {
    SeedVonuData(SampleListText(), L"Language=en\r\nSpeedLimitKB=512\r\nLimiterOn=1\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(7));

    // Stop takes a queued download out of its queue's waiting line.
    SelectFile(L"album.zip");
    Command(ID_FILE_STOP);
    EXPECT_TRUE(WaitForStatus(L"album.zip", L"Stopped"));

    // Add to queue makes a stopped download wait in that queue; it then shows under its node.
    SelectFile(L"report-2026.pdf");
    Command(ID_ADD_TO_QUEUE_BASE + 2);
    EXPECT_TRUE(WaitForStatus(L"report-2026.pdf", L"Queued"));
    TreeSelect(tree_, ChildNamed(Root(3), L"Night queue"));
    EXPECT_TRUE(WaitUntil(3000, [&] {
        return Column(0) == std::vector<std::wstring>{L"report-2026.pdf", L"album.zip"};
    })) << "a stopped download keeps its queue; a rebuilt list follows the list order";
    TreeSelect(tree_, Root(0));
    ASSERT_TRUE(WaitUntil(3000, [&] { return ListViewRowCount(list_) == 7; }));

    // Resume starts a stopped download: it leaves Stopped and gets a fresh last attempt. Its
    // address is a closed port on 127.0.0.1, so the run ends in Error without leaving the machine.
    const std::wstring before = ListViewText(list_, RowOf(L"notes.txt"), 5);
    SelectFile(L"notes.txt");
    Command(ID_FILE_RESUME);
    EXPECT_TRUE(WaitUntil(5000, [&] { return StatusOf(L"notes.txt") != L"Stopped"; }));
    EXPECT_NE(ListViewText(list_, RowOf(L"notes.txt"), 5), before);
    // With one download resumed and ShowProgress on (its default), its progress window opens;
    // closed again so the dialogs below are the only ones.
    HWND progress = WaitForTopWindow(vonu_.id(), L"#32770", L"% notes.txt", 5000);
    ASSERT_NE(progress, nullptr) << "Resume opened no progress window";
    PostMessageW(progress, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(progress); }));

    // The speed limiter switches off and the setting is saved.
    Command(ID_DOWNLOADS_LIMITER);
    EXPECT_TRUE(WaitUntil(3000, [&] { return StatusBarText(status_, 1) == L"  Total speed 0.00 KB/sec"; }));
    EXPECT_NE(Utf16FileText(SettingsPath(DataFolder())).find(L"LimiterOn=0"), std::wstring::npos);

    // Delete asks first; confirmed, the download leaves the list.
    SelectFile(L"song.mp3");
    Command(ID_FILE_DELETE);
    HWND dialog = VonuDialog();
    ASSERT_NE(dialog, nullptr) << "the delete dialog opens";
    Confirm(dialog);
    EXPECT_TRUE(WaitUntil(5000, [&] { return RowOf(L"song.mp3") < 0; }));
    EXPECT_EQ(ListViewRowCount(list_), 6);

    // Delete all completed asks, then removes the rest of the complete downloads.
    Command(ID_DOWNLOADS_DELETE_COMPLETED);
    HWND question = VonuDialog();
    ASSERT_NE(question, nullptr) << "the question opens";
    Confirm(question);
    EXPECT_TRUE(WaitUntil(5000, [&] { return RowOf(L"ubuntu-24.04-desktop-amd64.iso") < 0; }));
    EXPECT_EQ(ListViewRowCount(list_), 5);

    // Remove from queue: the queued download becomes Stopped.
    SelectFile(L"report-2026.pdf");
    Command(ID_LIST_REMOVE_FROM_QUEUE);
    EXPECT_TRUE(WaitForStatus(L"report-2026.pdf", L"25.00%")) << "stopped part way: the percentage shows";
    SelectFile(L"holiday-video.mp4");
    Command(ID_ADD_TO_QUEUE_BASE + 2);
    EXPECT_TRUE(WaitForStatus(L"holiday-video.mp4", L"Queued"))
        << "an Error download moved to a queue waits there";

    // Everything above is in the list after a restart.
    Stop();
    ASSERT_NO_FATAL_FAILURE(Start(5));
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"report-2026.pdf", L"holiday-video.mp4", L"album.zip",
                                                    L"lecture.mp4", L"notes.txt"}));
    EXPECT_EQ(StatusOf(L"report-2026.pdf"), L"25.00%");
    EXPECT_EQ(StatusOf(L"holiday-video.mp4"), L"Queued");
    EXPECT_EQ(StatusOf(L"album.zip"), L"Stopped");
    EXPECT_TRUE(StatusOf(L"notes.txt") == L"Error" || StatusOf(L"notes.txt") == L"Stopped")
        << "the resumed run ended";
    EXPECT_EQ(StatusBarText(status_, 1), L"  Total speed 0.00 KB/sec");
    TreeSelect(tree_, ChildNamed(Root(3), L"Night queue"));
    EXPECT_TRUE(WaitUntil(3000, [&] {
        return Column(0) == std::vector<std::wstring>{L"holiday-video.mp4", L"album.zip"};
    })) << "the stopped album keeps its queue; the report left it";
}

// Two downloads from nginx's 64 KB/s location stay running long enough to be stopped: Stop
// all ends both runs, and the list remembers them as Stopped with their bytes. The user
// fixed their paths, so the probe keeps them in the test's folder.
TEST_F(MainWindowTest, StopAllStopsEveryRunningDownload) {
    ASSERT_TRUE(Servers().ok) << std::string(Servers().error.begin(), Servers().error.end());
    TempFolder target;
    std::wstring list;
    for (int id : {1, 2}) {
        const std::wstring name = L"slow-" + std::to_wstring(id) + L".bin";
        list += L"[D" + std::to_wstring(id) + L"]\r\nUrl=" + NginxUrl(L"/slow/20mib.bin") + L"\r\nFile=" + name +
                L"\r\nPath=" + target.File(name) + L"\r\nCat=General\r\nUserPath=1\r\nSize=-1\r\nState=2\r\nConn=2\r\n"
                L"Queue=0\r\n\r\n";
    }
    SeedVonuData(list, L"Language=en\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(2));

    ListViewSelect(list_, {0, 1});
    Command(ID_FILE_RESUME);
    auto downloading = [&](const wchar_t* count) {
        return StatusBarText(status_, 0).find(std::wstring(L" ") + count + L" downloading,") != std::wstring::npos;
    };
    const bool running = WaitUntil(15000, [&] { return downloading(L"2"); });
    ASSERT_TRUE(running) << WideToUtf8(StatusBarText(status_, 0) + L" | " + StatusOf(L"slow-1.bin") + L" | " +
                                       StatusOf(L"slow-2.bin"));
    ASSERT_TRUE(WaitUntil(15000, [&] {
        return FileExists(target.File(L"slow-1.bin.vonu")) && FileExists(target.File(L"slow-2.bin.vonu"));
    })) << "both runs write their temporary files";

    Command(ID_DOWNLOADS_STOP_ALL);
    EXPECT_TRUE(WaitUntil(10000, [&] { return downloading(L"0"); }));
    Stop();
    const std::wstring saved = Utf16FileText(DataFolder() + L"\\list.ini");
    size_t at = 0, stopped = 0;
    while ((at = saved.find(L"State=2", at)) != std::wstring::npos) ++stopped, ++at;
    EXPECT_EQ(stopped, 2u) << "both downloads are saved as Stopped";
    EXPECT_NE(saved.find(L"Segs=0,"), std::wstring::npos) << "with their segments, to resume from";
}

TEST_F(MainWindowTest, ArabicWindowIsMirroredAndTranslated) {
    SeedVonuData(SampleListText(), L"Language=ar\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(7));
    SetArabicInterface(true);  // this process looks the expected texts up in the same table
    for (HWND w : {window_, list_, tree_, status_})
        EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    EXPECT_EQ(WindowText(window_), Translate(L"Vonu Download Manager"));
    EXPECT_EQ(TreeItemText(tree_, Root(0)), Translate(L"All Downloads"));
    EXPECT_EQ(TreeItemText(tree_, Root(3)), Translate(L"Queues"));
    EXPECT_NE(ChildNamed(Root(3), Translate(L"Default queue")), nullptr);
    EXPECT_EQ(ListViewHeaderText(list_, 0), Translate(L"File Name"));
    EXPECT_EQ(ListViewText(list_, 0, 2), Translate(L"Complete"));
    EXPECT_EQ(ListViewText(list_, 4, 1), Translate(L"Video"));
    EXPECT_EQ(StatusBarText(status_, 2), Translate(L"  No queue is running"));
    const std::wstring first = StatusBarText(status_, 0);
    EXPECT_NE(first.find(L"7"), std::wstring::npos);
    EXPECT_NE(first, L"  0 downloading, 7 in list");
    SetArabicInterface(false);
}

}  // namespace
}  // namespace vonu
