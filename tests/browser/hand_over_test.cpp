// The hand-over record and the main window's receiving side, in this process: the record's
// checks and fields, the pending list (duplicates, the limit of ten, refusal while exiting),
// and an address already in the list, which takes the hand-over's cookie, referrer and user
// agent. Also the integration dialog's browser lookup and page addresses.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "model/download_manager.h"
#include "tests/support/temp_folder.h"
#include "ui/browser_dialog.h"
#include "ui/hand_over_record.h"
#include "ui/hand_overs.h"

namespace vonu {
namespace {

using namespace test;

COPYDATASTRUCT Record(const std::wstring& text, ULONG_PTR id = kHandOverId, DWORD bytes = 0) {
    COPYDATASTRUCT c{};
    c.dwData = id;
    c.cbData = bytes ? bytes : static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    c.lpData = const_cast<wchar_t*>(text.c_str());
    return c;
}

std::wstring Fields(std::initializer_list<const wchar_t*> fields) {
    std::wstring text;
    for (const wchar_t* f : fields) {
        if (!text.empty() || f != *fields.begin()) text += kHandOverSeparator;
        text += f;
    }
    return text;
}

TEST(HandOverRecord, JoinsAndSplitsFiveFields) {
    const HandOver h{L"http://h/a", L"http://h/page", L"a.zip", L"c=1; d=2", L"Agent/1"};
    const std::wstring text = HandOverRecordText(h);
    EXPECT_EQ(text, L"http://h/a\x1Fhttp://h/page\x1F" L"a.zip\x1F" L"c=1; d=2\x1F" L"Agent/1");
    const COPYDATASTRUCT c = Record(text);
    const std::optional<HandOver> back = ReadHandOverRecord(&c);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address, h.address);
    EXPECT_EQ(back->referrer, h.referrer);
    EXPECT_EQ(back->fileName, h.fileName);
    EXPECT_EQ(back->cookie, h.cookie);
    EXPECT_EQ(back->userAgent, h.userAgent);
}

TEST(HandOverRecord, RefusesWhatIsNotARecord) {
    const std::wstring text = L"http://h/a";
    EXPECT_FALSE(ReadHandOverRecord(nullptr));
    COPYDATASTRUCT c = Record(text, 0x48415532);
    EXPECT_FALSE(ReadHandOverRecord(&c));
    c = Record(text, kHandOverId, 1);
    EXPECT_FALSE(ReadHandOverRecord(&c));
    c = Record(text, kHandOverId, kMaxHandOverBytes + 1);
    EXPECT_FALSE(ReadHandOverRecord(&c));
    c = Record(text);
    c.lpData = nullptr;
    EXPECT_FALSE(ReadHandOverRecord(&c));
    // The smallest record is an empty text with its NUL; the largest kMaxHandOverBytes.
    c = Record(L"");
    ASSERT_TRUE(ReadHandOverRecord(&c));
    EXPECT_EQ(ReadHandOverRecord(&c)->address, L"");
    const std::wstring big(kMaxHandOverBytes / 2 - 1, L'a');
    c = Record(big);
    ASSERT_TRUE(ReadHandOverRecord(&c));
    EXPECT_EQ(ReadHandOverRecord(&c)->address.size(), big.size());
}

TEST(HandOverRecord, OddCountsMissingNulsAndFieldCounts) {
    // An odd last byte is ignored; a text without NUL ends at the byte count.
    std::wstring text = L"http://h/abc";
    COPYDATASTRUCT c = Record(text, kHandOverId, 2 * 10 + 1);
    EXPECT_EQ(ReadHandOverRecord(&c)->address, L"http://h/a");
    // The text ends at its first NUL.
    text = std::wstring(L"http://h/a\0\x1Fref", 15);
    c = Record(text, kHandOverId, 2 * 15);
    EXPECT_EQ(ReadHandOverRecord(&c)->address, L"http://h/a");
    EXPECT_EQ(ReadHandOverRecord(&c)->referrer, L"");
    // Missing separators: the other fields are empty; extra fields are dropped.
    text = L"http://h/a";
    c = Record(text);
    EXPECT_EQ(ReadHandOverRecord(&c)->userAgent, L"");
    text = Fields({L"http://h/a", L"r", L"f", L"c", L"ua", L"sixth", L"seventh"});
    c = Record(text);
    EXPECT_EQ(ReadHandOverRecord(&c)->userAgent, L"ua");
    text = Fields({L"http://h/a", L"", L"", L"", L""});
    c = Record(text);
    EXPECT_EQ(ReadHandOverRecord(&c)->cookie, L"");
}

class HandOverReceiverTest : public testing::Test {
protected:
    void SetUp() override {
        w_.window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(w_.window, nullptr);
    }
    void TearDown() override {
        DownloadManager& m = Manager();
        {
            std::lock_guard guard(m.lock);
            m.downloads.clear();
        }
        DestroyWindow(w_.window);
    }
    LRESULT Receive(const std::wstring& text) {
        const COPYDATASTRUCT c = Record(text);
        return ReceiveHandOver(w_, &c);
    }
    std::shared_ptr<DownloadItem> AddItem(const std::wstring& url, DownloadState state) {
        auto item = std::make_shared<DownloadItem>();
        DownloadManager& m = Manager();
        std::lock_guard guard(m.lock);
        item->id = m.nextDownloadId++;
        item->url = url;
        item->state = state;
        item->referrer = L"http://old/page";
        item->userAgent = L"Old/1";
        m.downloads.push_back(item);
        return item;
    }
    MainWindow w_;
};

TEST_F(HandOverReceiverTest, KeepsAcceptedAddressesInOrder) {
    EXPECT_EQ(Receive(Fields({L"http://h/1", L"http://h/", L"one.zip", L"c=1", L"UA/1"})), 1);
    EXPECT_EQ(Receive(L"HTTPS://h/2"), 1);  // the scheme's case does not matter here
    ASSERT_EQ(w_.pendingHandOvers.size(), 2u);
    EXPECT_EQ(w_.pendingHandOvers[0].address, L"http://h/1");
    EXPECT_EQ(w_.pendingHandOvers[0].fileName, L"one.zip");
    EXPECT_EQ(w_.pendingHandOvers[0].cookie, L"c=1");
    EXPECT_EQ(w_.pendingHandOvers[1].address, L"HTTPS://h/2");
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, w_.window, kNextHandOverMessage, kNextHandOverMessage, PM_REMOVE));
}

TEST_F(HandOverReceiverTest, RefusesOtherAddressesAndRecords) {
    EXPECT_EQ(Receive(L"ftp://h/a"), 0);
    EXPECT_EQ(Receive(L"http:/h/a"), 0);
    EXPECT_EQ(Receive(L""), 0);
    const std::wstring text = L"http://h/a";
    COPYDATASTRUCT c = Record(text, 1);
    EXPECT_EQ(ReceiveHandOver(w_, &c), 0);
    EXPECT_EQ(ReceiveHandOver(w_, nullptr), 0);
    EXPECT_TRUE(w_.pendingHandOvers.empty());
}

TEST_F(HandOverReceiverTest, TheSameAddressIsPendingOnce) {
    EXPECT_EQ(Receive(L"http://h/a"), 1);
    EXPECT_EQ(Receive(L"http://h/a"), 1);
    EXPECT_EQ(w_.pendingHandOvers.size(), 1u);
    EXPECT_EQ(Receive(L"http://h/A"), 1);  // addresses compare exactly
    EXPECT_EQ(w_.pendingHandOvers.size(), 2u);
}

TEST_F(HandOverReceiverTest, TheEleventhIsRefused) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Receive(L"http://h/" + std::to_wstring(i)), 1);
    EXPECT_EQ(Receive(L"http://h/10"), 0);
    EXPECT_EQ(w_.pendingHandOvers.size(), 10u);
    // Still "yes" for one already pending.
    EXPECT_EQ(Receive(L"http://h/3"), 1);
}

TEST_F(HandOverReceiverTest, RefusedWhileExitingOrShutDown) {
    w_.exiting = true;
    EXPECT_EQ(Receive(L"http://h/a"), 0);
    w_.exiting = false;
    w_.shutDown = true;
    EXPECT_EQ(Receive(L"http://h/a"), 0);
    EXPECT_TRUE(w_.pendingHandOvers.empty());
}

TEST_F(HandOverReceiverTest, AnUnfinishedDownloadTakesTheBrowsersContext) {
    for (DownloadState state : {DownloadState::Queued, DownloadState::Stopped, DownloadState::Error}) {
        SCOPED_TRACE(static_cast<int>(state));
        auto item = AddItem(L"http://h/file.zip", state);
        EXPECT_EQ(Receive(Fields({L"http://h/file.zip", L"http://h/new-page", L"", L"s=9", L"New/2"})), 1);
        EXPECT_TRUE(w_.pendingHandOvers.empty());
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(item->cookie, L"s=9");
        EXPECT_EQ(item->referrer, L"http://h/new-page");
        EXPECT_EQ(item->userAgent, L"New/2");
        EXPECT_TRUE(Manager().listDirty);
        Manager().downloads.clear();
    }
}

TEST_F(HandOverReceiverTest, ARunningDownloadKeepsItsContext) {
    auto item = AddItem(L"http://h/file.zip", DownloadState::Downloading);
    EXPECT_EQ(Receive(Fields({L"http://h/file.zip", L"http://h/new-page", L"", L"s=9", L"New/2"})), 1);
    EXPECT_TRUE(w_.pendingHandOvers.empty());
    std::lock_guard guard(Manager().lock);
    EXPECT_EQ(item->cookie, L"");
    EXPECT_EQ(item->referrer, L"http://old/page");
}

TEST_F(HandOverReceiverTest, ACompleteDownloadIsHandedOnAgain) {
    AddItem(L"http://h/file.zip", DownloadState::Complete);
    EXPECT_EQ(Receive(L"http://h/file.zip"), 1);
    EXPECT_EQ(w_.pendingHandOvers.size(), 1u);
}

TEST(BrowserDialog, ExtensionPageAddresses) {
    EXPECT_EQ(ExtensionPageAddress(L"chrome", false), L"https://vonu.app/en/extension.html?b=chrome");
    EXPECT_EQ(ExtensionPageAddress(L"edge", true), L"https://vonu.app/extension.html?b=edge");
}

TEST(BrowserDialog, FindsBrowsersThroughAppPaths) {
    TempFolder folder;
    const std::wstring exe = folder.File(L"fake-browser.exe");
    WriteBytes(exe, "MZ");
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vonu-test-browser.exe";
    const std::wstring quoted = L"\"" + exe + L"\"";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, quoted.c_str(),
                    static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(FindBrowser(L"vonu-test-browser.exe"), exe);
    const std::wstring gone = folder.File(L"gone.exe");
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, gone.c_str(),
                    static_cast<DWORD>((gone.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(FindBrowser(L"vonu-test-browser.exe"), L"");
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    EXPECT_EQ(FindBrowser(L"vonu-test-browser.exe"), L"");
}

}  // namespace
}  // namespace vonu
