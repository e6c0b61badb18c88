// The link tools in the real Vonu.exe, driven from a second process as a user would: a batch
// pattern's preview and the addresses it adds; the batch list's ticks for addresses the list
// already holds; the clipboard's links (set by this process) in the batch list; an exported
// list imported again; the File Finder crawling a small site on the loopback nginx, adding
// its files with their pages as referrers, and a search that ends with the dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "model/data_folder.h"
#include "model/list_file.h"
#include "model/text_encoding.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/support/window_helpers.h"
#include "tools/link_tools_resource.h"
#include "ui/resource.h"

namespace vonu {
namespace {

using namespace test;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

bool RowTicked(HWND list, int row) {
    const LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::vector<bool> Ticks(HWND list) {
    std::vector<bool> ticks;
    for (int row = 0; row < ListViewRowCount(list); ++row) ticks.push_back(RowTicked(list, row));
    return ticks;
}

std::vector<std::wstring> Column(HWND list, int column) {
    std::vector<std::wstring> texts;
    for (const auto& row : ListViewRows(list, 2)) texts.push_back(row[column]);
    return texts;
}

bool SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (memory) {
        if (void* chars = GlobalLock(memory)) {
            memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            GlobalUnlock(memory);
            ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!ok) GlobalFree(memory);
    }
    CloseClipboard();
    return ok;
}

// The open or save dialog of the common dialog library: types the path into its file name
// box and presses its OK button. The dialog, still open (it may ask before it closes).
HWND ChooseFile(DWORD pid, const std::wstring& title, const std::wstring& path) {
    HWND dialog = WaitForProcessDialog(pid, title, 10000);
    if (!dialog) return nullptr;
    // The name box is cmb13 or edt1, depending on the library's version; a hidden one is
    // not read.
    bool typed = false;
    for (int id : {1148 /* cmb13 */, 1152 /* edt1 */}) {
        HWND name = GetDlgItem(dialog, id);
        if (!name || !IsWindowVisible(name)) continue;
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        typed = true;
    }
    if (!typed) return nullptr;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return dialog;
}

// A drag source that drops where it is told: it moves the cursor onto the point in its
// own QueryContinueDrag (the drag loop takes the cursor's position from there) and drops
// after a few rounds.
class PointedDropSource final : public IDropSource {
public:
    explicit PointedDropSource(POINT at) : at_(at) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        SetCursorPos(at_.x + (rounds_ % 2), at_.y);
        Sleep(20);
        return ++rounds_ < 30 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT at_;
    int rounds_ = 0;
};

// Drags the clipboard's data (set to `text` first) onto the middle of `target`; the
// effect the target answered.
DWORD DragTextOnto(HWND target, const std::wstring& text) {
    if (!SetClipboardText(text)) return DROPEFFECT_NONE;
    IDataObject* data = nullptr;
    if (OleGetClipboard(&data) != S_OK || !data) return DROPEFFECT_NONE;
    RECT r{};
    GetWindowRect(target, &r);
    PointedDropSource source({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
    data->Release();
    return effect;
}

class LinkToolsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
        ASSERT_TRUE(Servers().ok) << Servers().error;
        tag_ = UniqueTag();
        site_ = Servers().files + L"\\" + tag_;
        ASSERT_TRUE(CreateDirectoryW(site_.c_str(), nullptr));
        // The queue does not start by itself: added downloads stay Queued and are counted as
        // rows. The clipboard watcher is on only for the test that is about it.
        const bool watch = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()).starts_with("Watch");
        SeedVonuData(L"", L"Language=en\r\nShowProgress=0\r\nShowComplete=0\r\nClipboard=" +
                              std::wstring(watch ? L"1" : L"0") + L"\r\nBaseDir=" + base_.path() + L"\r\n");
        vonu_ = StartVonu(L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), 0, &v);
        window_ = v.main, list_ = v.list;
        ASSERT_TRUE(up);
    }
    void TearDown() override {
        CancelOpenDialogs(vonu_.id(), 5);
        if (vonu_.started()) {
            EXPECT_TRUE(ExitVonu(vonu_, window_));
        }
        ClearVonuData();
        // No address is left on the clipboard for a later program's watcher.
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }

    HWND Command(int command, const std::wstring& dialogTitle) {
        PostMessageW(window_, WM_COMMAND, command, 0);
        return WaitForProcessDialog(vonu_.id(), dialogTitle);
    }
    bool ListShows(int rows) {
        return WaitUntil(5000, [&] { return ListViewRowCount(list_) == rows; });
    }
    std::wstring Url(const std::wstring& name) { return NginxUrl(L"/files/" + tag_ + L"/" + name); }
    void Page(const std::wstring& name, const std::string& html) { WriteBytes(site_ + L"\\" + name, html); }

    TempFolder base_;
    std::wstring tag_, site_;
    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr;
};

TEST_F(LinkToolsTest, BatchPatternPreviewsAndAddsItsAddresses) {
    HWND pattern = Command(ID_TASKS_BATCH, L"Add batch download");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(ItemText(pattern, IDC_BA_FIRST), L"First: https://www.example.com/files/part1.zip");
    EXPECT_EQ(ItemText(pattern, IDC_BA_LAST), L"Last: https://www.example.com/files/part10.zip  (10 links)");
    const std::wstring address = Url(L"part*.zip");
    SetItemText(pattern, IDC_BA_PATTERN, address);
    SetItemText(pattern, IDC_BA_FROM, L"1a");
    EXPECT_EQ(ItemText(pattern, IDC_BA_FIRST), L"Use numbers or single letters in From and To");
    EXPECT_EQ(ItemText(pattern, IDC_BA_LAST), L"");
    ClickItem(pattern, IDOK);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Add batch download", IDOK, pattern),
              L"Use numbers or single letters in From and To");
    EXPECT_TRUE(IsWindowVisible(pattern)) << "a bad range keeps the dialog open";
    SetItemText(pattern, IDC_BA_FROM, L" 3 ");
    SetItemText(pattern, IDC_BA_TO, L"1");
    SetItemText(pattern, IDC_BA_DIGITS, L"2");
    EXPECT_EQ(ItemText(pattern, IDC_BA_LAST), L"Last: " + Url(L"part03.zip") + L"  (3 links)");
    ClickItem(pattern, IDOK);

    HWND batch = WaitForProcessDialog(vonu_.id(), L"Batch download");
    ASSERT_NE(batch, nullptr);
    HWND rows = GetDlgItem(batch, IDC_BL_LIST);
    const std::vector<std::wstring> want = {Url(L"part01.zip"), Url(L"part02.zip"), Url(L"part03.zip")};
    EXPECT_EQ(Column(rows, 0), (std::vector<std::wstring>{L"part01.zip", L"part02.zip", L"part03.zip"}));
    EXPECT_EQ(Column(rows, 1), want);
    EXPECT_EQ(Ticks(rows), std::vector<bool>(3, true));
    EXPECT_EQ(ItemText(batch, IDC_BL_STATUS), L"3 links found, 3 ticked. Untick the ones you don't want.");
    ClickItem(batch, IDC_BL_NONE);
    EXPECT_TRUE(WaitUntil(3000, [&] {
        return ItemText(batch, IDC_BL_STATUS) == L"3 links found, 0 ticked. Untick the ones you don't want.";
    })) << Narrow(ItemText(batch, IDC_BL_STATUS));
    ClickItem(batch, IDC_BL_ADD);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Batch download", IDOK, batch), L"Tick the files you want first");
    ClickItem(batch, IDC_BL_ALL);
    ClickItem(batch, IDC_BL_ADD);
    EXPECT_TRUE(WaitDialogGone(batch));
    ASSERT_TRUE(ListShows(3));

    // The same addresses again: already in the list, so they start unticked.
    pattern = Command(ID_TASKS_BATCH, L"Add batch download");
    ASSERT_NE(pattern, nullptr);
    SetItemText(pattern, IDC_BA_PATTERN, address);
    SetItemText(pattern, IDC_BA_FROM, L"2");
    SetItemText(pattern, IDC_BA_TO, L"4");
    SetItemText(pattern, IDC_BA_DIGITS, L"2");
    ClickItem(pattern, IDOK);
    batch = WaitForProcessDialog(vonu_.id(), L"Batch download");
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(Ticks(GetDlgItem(batch, IDC_BL_LIST)), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(ItemText(batch, IDC_BL_STATUS), L"3 links found, 1 ticked. Untick the ones you don't want.");
    ClickItem(batch, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(batch));
    EXPECT_EQ(ListViewRowCount(list_), 3);
}

TEST_F(LinkToolsTest, ClipboardLinksAndAnExportedListImportedAgain) {
    ASSERT_TRUE(SetClipboardText(L"no links here, only https:// and words"));
    PostMessageW(window_, WM_COMMAND, ID_TASKS_BATCH_CLIPBOARD, 0);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Batch download", IDOK),
              L"There are no links in the clipboard. Copy some links, then try again.");

    const std::wstring a = Url(L"a.zip"), b = Url(L"B.ZIP?x=1&amp;y=2");
    ASSERT_TRUE(SetClipboardText(L"Take " + a + L", and (" + b + L").\r\nAgain: " + a));
    HWND batch = Command(ID_TASKS_BATCH_CLIPBOARD, L"Batch download");
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(Column(GetDlgItem(batch, IDC_BL_LIST), 1), (std::vector<std::wstring>{a, b}));
    ClickItem(batch, IDC_BL_ADD);
    EXPECT_TRUE(WaitDialogGone(batch));
    ASSERT_TRUE(ListShows(2));

    const std::wstring exported = base_.File(L"exported list.txt");
    PostMessageW(window_, WM_COMMAND, ID_TASKS_EXPORT, 0);
    HWND save = ChooseFile(vonu_.id(), L"Save As", exported);
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(WaitDialogGone(save));
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Export the download list", IDOK),
              L"2 links were saved. You can add them again later with Import links.");
    EXPECT_EQ(ReadBytes(exported), "\xEF\xBB\xBF" + Narrow(a) + "\r\n" + Narrow(b) + "\r\n");

    PostMessageW(window_, WM_COMMAND, ID_TASKS_IMPORT, 0);
    ASSERT_NE(ChooseFile(vonu_.id(), L"Open", exported), nullptr);
    batch = WaitForProcessDialog(vonu_.id(), L"Batch download");
    ASSERT_NE(batch, nullptr);
    HWND rows = GetDlgItem(batch, IDC_BL_LIST);
    EXPECT_EQ(Column(rows, 1), (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(Ticks(rows), (std::vector<bool>{false, false})) << "both are in the list already";
    ClickItem(batch, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(batch));

    const std::wstring empty = base_.File(L"empty.html");
    WriteBytes(empty, "<html>nothing to get</html>");
    PostMessageW(window_, WM_COMMAND, ID_TASKS_IMPORT, 0);
    ASSERT_NE(ChooseFile(vonu_.id(), L"Open", empty), nullptr);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"Import links", IDOK), L"No links were found in this file");
    EXPECT_EQ(ListViewRowCount(list_), 2);
}

TEST_F(LinkToolsTest, FileFinderListsTheSitesFilesAndAddsThemWithTheirPages) {
    const std::string image = "data:image/png;base64," + std::string(10 * 1024, 'Q');
    Page(L"index.html", "<a href='a.html'>a</a><img src=\"" + image + "\"><A HREF = 'one.ZIP#part'>1</A>");
    Page(L"a.html", "<a href='index.html'>back</a><a href=\"two.zip?v=1\">2</a><a href='one.ZIP'>1</a>");
    HWND finder = Command(ID_TASKS_SITE_GRABBER, L"File Finder");
    ASSERT_NE(finder, nullptr);
    EXPECT_EQ(ItemText(finder, IDC_SG_STATUS), L"Enter a page address and the kinds of files to look for");
    ClickItem(finder, IDC_SG_FIND);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"File Finder", IDOK, finder),
              L"Enter a page address that starts with http:// or https://");
    SetItemText(finder, IDC_SG_START, Url(L"index.html"));
    SetItemText(finder, IDC_SG_TYPES, L" , . ");
    ClickItem(finder, IDC_SG_FIND);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"File Finder", IDOK, finder), L"Enter at least one file type, for example zip pdf");
    SetItemText(finder, IDC_SG_TYPES, L"zip");
    ClickItem(finder, IDC_SG_FIND);
    EXPECT_TRUE(WaitUntil(10000, [&] { return ItemText(finder, IDC_SG_STATUS).starts_with(L"Done."); }))
        << Narrow(ItemText(finder, IDC_SG_STATUS));
    EXPECT_EQ(ItemText(finder, IDC_SG_STATUS), L"Done. Looked at 2 pages and found 2 files");
    HWND rows = GetDlgItem(finder, IDC_SG_LIST);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::wstring>{L"one.ZIP", L"two.zip"}));
    EXPECT_EQ(Column(rows, 1), (std::vector<std::wstring>{Url(L"one.ZIP"), Url(L"two.zip?v=1")}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(finder, IDC_SG_FIND)));
    ClickItem(finder, IDC_SG_QUEUE);
    EXPECT_EQ(AnswerMessageBox(vonu_.id(), L"File Finder", IDOK, finder), L"2 files were added to the default queue");
    EXPECT_TRUE(WaitDialogGone(finder));
    ASSERT_TRUE(ListShows(2));

    // A search of a page that trickles in ends with the dialog, and the program still exits
    // at once afterwards.
    finder = Command(ID_TASKS_SITE_GRABBER, L"File Finder");
    ASSERT_NE(finder, nullptr);
    SetItemText(finder, IDC_SG_START, FaultUrl(L"/trickle?chunk=4096&pause=50&tag=" + tag_));
    ClickItem(finder, IDC_SG_FIND);
    EXPECT_TRUE(WaitUntil(5000, [&] { return ItemText(finder, IDC_SG_STATUS).starts_with(L"Looking..."); }));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(finder, IDC_SG_FIND)));
    ClickItem(finder, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(finder, 3000));
    DWORD code = 1;
    EXPECT_TRUE(ExitVonu(vonu_, window_, &code));
    EXPECT_EQ(code, 0u);
    vonu_ = Process();

    // The referrers went to the list file with the downloads.
    const std::string bytes = ReadBytes(ListPath(DataFolder()));
    ASSERT_GE(bytes.size(), 2u);
    const std::wstring list(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_NE(list.find(L"Referer=" + Url(L"index.html")), std::wstring::npos) << Narrow(list);
}

// Texts copied by this process while Vonu runs: a page address without a file name and a
// sentence with one download address offer nothing; two addresses in a text open the batch
// list once; one address written in capitals opens the new download flow; the same text
// copied again offers nothing.
TEST_F(LinkToolsTest, WatchedClipboardOffersDownloadAddressesOnce) {
    const std::wstring a = Url(L"a.zip"), b = Url(L"b.pdf");
    for (const std::wstring& quiet : {Url(L"page"), L"Get " + a + L" today"}) {
        ASSERT_TRUE(SetClipboardText(quiet));
        Sleep(1000);
        EXPECT_TRUE(TopWindows(vonu_.id(), L"#32770").empty()) << Narrow(quiet);
    }
    ASSERT_TRUE(SetClipboardText(L"Both: " + a + L" and " + b + L"."));
    HWND batch = WaitForProcessDialog(vonu_.id(), L"Batch download");
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(Column(GetDlgItem(batch, IDC_BL_LIST), 1), (std::vector<std::wstring>{a, b}));
    Sleep(600);
    EXPECT_EQ(TopWindows(vonu_.id(), L"#32770").size(), 1u) << "one dialog for one copy";
    ClickItem(batch, IDC_BL_ADD);
    EXPECT_TRUE(WaitDialogGone(batch));
    ASSERT_TRUE(ListShows(2));

    ASSERT_TRUE(SetClipboardText(L"  " + Url(L"SETUP.EXE") + L"\r\n"));
    HWND added = WaitForProcessDialog(vonu_.id(), L"New Download");
    ASSERT_NE(added, nullptr);
    ClickItem(added, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(added));
    EXPECT_TRUE(ListShows(2)) << "Cancel removes the download again";
    ASSERT_TRUE(SetClipboardText(Url(L"SETUP.EXE")));  // the same text as last time
    Sleep(1000);
    EXPECT_TRUE(TopWindows(vonu_.id(), L"#32770").empty());
}

// Texts dragged from this process onto the window's list: one address opens the new
// download flow, two open the batch list dialog.
TEST_F(LinkToolsTest, DroppedTextsAddTheirAddresses) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    EXPECT_EQ(DragTextOnto(list_, L"  " + Url(L"dropped.zip") + L"  "), static_cast<DWORD>(DROPEFFECT_COPY));
    HWND added = WaitForProcessDialog(vonu_.id(), L"New Download");
    ASSERT_NE(added, nullptr);
    ClickItem(added, IDCANCEL);
    EXPECT_TRUE(WaitDialogGone(added));

    EXPECT_EQ(DragTextOnto(list_, Url(L"1.zip") + L"\r\n" + Url(L"2.zip")), static_cast<DWORD>(DROPEFFECT_COPY));
    HWND batch = WaitForProcessDialog(vonu_.id(), L"Batch download");
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(Column(GetDlgItem(batch, IDC_BL_LIST), 1), (std::vector<std::wstring>{Url(L"1.zip"), Url(L"2.zip")}));
    ClickItem(batch, IDC_BL_DOWNLOAD);
    EXPECT_TRUE(WaitDialogGone(batch));
    EXPECT_TRUE(ListShows(2));
    OleUninitialize();
}

}  // namespace
}  // namespace vonu
