// The real Vonu.exe in host mode, fed through pipes as a browser feeds it, with every kind
// of bad input: lengths at and past the limits, bytes arriving one at a time, input that
// ends early, binary length bytes, broken JSON and escapes. Each case checks the reply (or
// that there is none) and that the process ends. The main window is a stand-in in this test
// process (a window with the VonuMainWindow property whose copy-data handler runs the
// program's own record check), so each case can see the exact record the host sent, and
// can make the window refuse or hang. The host's %APPDATA% is a test folder, so the
// settings it reads are the test's and the data folder it must not create is checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/text_encoding.h"
#include "tests/browser/host_process.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "ui/hand_over_record.h"
#include "ui/main_window_search.h"

namespace vonu {
namespace {

using namespace test;

constexpr char kPing[] = "{\"ping\":true}";  // the extension's own: 13 bytes (0x0D)
constexpr char kPingReply[] = "{\"ok\":true,\"running\":true,\"lang\":\"en\"}";
constexpr char kAccepted[] = "{\"ok\":true}";
constexpr char kUnsupported[] = "{\"ok\":false,\"error\":\"unsupported address\"}";
constexpr char kNoAnswer[] = "{\"ok\":false,\"error\":\"Vonu did not answer\"}";
constexpr char kNotStarted[] = "{\"ok\":false,\"error\":\"Vonu did not start\"}";

std::string HandOverJson(const std::string& url, const std::string& filename = "", const std::string& cookie = "c=1",
                         const std::string& referrer = "http://127.0.0.1/page", const std::string& ua = "Test/1") {
    return "{\"url\":\"" + url + "\",\"referrer\":\"" + referrer + "\",\"filename\":\"" + filename +
           "\",\"cookie\":\"" + cookie + "\",\"ua\":\"" + ua + "\"}";
}

// A main window stand-in on a thread of its own: answers copy-data messages as told and
// keeps every record the program's record check accepted.
class StandInWindow {
public:
    enum class Mode { Accept, Refuse, Hang };

    StandInWindow() {
        thread_ = std::thread([this] { Run(); });
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return window_ != nullptr || failed_; });
    }
    ~StandInWindow() {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    void SetMode(Mode m) { mode_ = m; }
    std::vector<HandOver> Records() {
        std::lock_guard lock(mutex_);
        return records_;
    }
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StandInWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        if (message == WM_COPYDATA && self) {
            if (self->mode_ == Mode::Hang) Sleep(6000);
            const std::optional<HandOver> h = ReadHandOverRecord(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            if (!h || self->mode_ == Mode::Refuse) return 0;
            std::lock_guard lock(self->mutex_);
            self->records_.push_back(*h);
            return 1;
        }
        if (message == WM_CLOSE) {
            RemovePropW(w, kMainWindowProperty);
            DestroyWindow(w);
            return 0;
        }
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(w, message, wParam, lParam);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VonuMainWindowStandIn";
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, wc.lpszClassName, L"stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        if (w) {
            SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetPropW(w, kMainWindowProperty, reinterpret_cast<HANDLE>(1));
        }
        {
            std::lock_guard lock(mutex_);
            window_ = w;
            failed_ = !w;
        }
        ready_.notify_all();
        MSG msg;
        while (w && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ready_;
    HWND window_ = nullptr;
    bool failed_ = false;
    std::atomic<Mode> mode_{Mode::Accept};
    std::vector<HandOver> records_;
};

class NativeHostTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix";
    }
    // Writes the bytes (in pieces), optionally closes the input, and returns the reply;
    // checks that the host ends within 10 seconds.
    std::optional<std::string> Run(std::string_view bytes, bool closeInput = true, size_t piece = 0,
                                   DWORD replyMs = 15000) {
        HostProcess host(appData_.path());
        EXPECT_TRUE(host.started());
        host.Write(bytes, piece);
        if (closeInput) host.CloseInput();
        std::optional<std::string> reply = host.ReadReply(replyMs);
        EXPECT_TRUE(host.WaitEnd(10000)) << "the host ends";
        return reply;
    }
    // A hand-over through the stand-in: the one record it received.
    HandOver RecordFor(const std::string& json) {
        const size_t before = window_->Records().size();
        EXPECT_EQ(Run(NativeFrame(json)), kAccepted);
        const std::vector<HandOver> records = window_->Records();
        EXPECT_EQ(records.size(), before + 1);
        return records.empty() ? HandOver{} : records.back();
    }
    void StartWindow() { window_ = std::make_unique<StandInWindow>(); }

    TempFolder appData_;
    std::unique_ptr<StandInWindow> window_;
};

TEST_F(NativeHostTest, PingWithoutTheProgram) {
    EXPECT_EQ(Run(NativeFrame(kPing)), "{\"ok\":true,\"running\":false,\"lang\":\"en\"}");
    // Nothing was started: a ping never starts the program.
    Sleep(500);
    EXPECT_TRUE(MainWindows().empty());
    EXPECT_FALSE(FileExists(appData_.File(L"Vonu"))) << "the host creates no data folder";
}

TEST_F(NativeHostTest, PingLanguageFromTheSettings) {
    CreateDirectoryW(appData_.File(L"Vonu").c_str(), nullptr);
    const std::wstring settings = appData_.File(L"Vonu\\settings.ini");
    const struct {
        const wchar_t* value;
        const char* lang;
    } cases[] = {{L"ar", "ar"}, {L"en", "en"}, {L"fr", "en"}, {L"AR", "en"}, {L"", "en"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.value));
        WriteUtf16File(settings, std::wstring(L"[Main]\r\nLanguage=") + c.value + L"\r\n");
        EXPECT_EQ(Run(NativeFrame(kPing)),
                  std::string("{\"ok\":true,\"running\":false,\"lang\":\"") + c.lang + "\"}");
    }
}

TEST_F(NativeHostTest, PingsInEveryShape) {
    StartWindow();
    // The extension's ping, its length bytes 0x0D; a length of 0x0A and 0x1A; 1-byte pieces.
    EXPECT_EQ(Run(NativeFrame(kPing)), kPingReply);
    EXPECT_EQ(Run(NativeFrame("{\"ping\":1}")), kPingReply);
    EXPECT_EQ(Run(NativeFrame("{\"ping\":true,\"x\":\"abcdef\"}")), kPingReply);
    EXPECT_EQ(Run(NativeFrame(kPing), true, 1), kPingReply);
    // The input left open: the host needs only the one frame.
    EXPECT_EQ(Run(NativeFrame(kPing), false), kPingReply);
    // A 4 MiB message, the largest there is.
    const std::string head = "{\"ping\":true,\"pad\":\"";
    const std::string big = head + std::string(4194304 - head.size() - 2, 'p') + "\"}";
    ASSERT_EQ(big.size(), 4194304u);
    EXPECT_EQ(Run(NativeFrame(big)), kPingReply);
}

TEST_F(NativeHostTest, NoReplyForBadFramesOrEarlyEnds) {
    StartWindow();
    const std::string cases[] = {
        "",                                 // end of input at once
        std::string("\x0D\x00", 2),         // after 2 bytes of the length
        NativeFrame("{\"ping\":", 13),      // part of the body
        NativeFrame("", 0),                 // length 0
        NativeFrame("", 4194305),           // one above the limit
        NativeFrame("", 0xFFFFFFFFu),
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(Run(bytes, true, 0, 3000), std::nullopt);
    }
    EXPECT_TRUE(window_->Records().empty());
}

TEST_F(NativeHostTest, UnsupportedAddresses) {
    StartWindow();
    for (const std::string url : {"ftp://h/a.zip", "HTTP://h/a.zip", "", "http:/", "javascript:x"}) {
        SCOPED_TRACE(url);
        EXPECT_EQ(Run(NativeFrame(HandOverJson(url))), kUnsupported);
    }
    EXPECT_EQ(Run(NativeFrame("x")), kUnsupported);  // length 1
    EXPECT_EQ(Run(NativeFrame("{\"referrer\":\"http://h/\"}")), kUnsupported);
    EXPECT_TRUE(window_->Records().empty());
}

TEST_F(NativeHostTest, HandOverRecordsAsSent) {
    StartWindow();
    HandOver h = RecordFor(HandOverJson("http://127.0.0.1/a.zip", "a.zip", "s=1; t=2", "http://127.0.0.1/", "UA/5"));
    EXPECT_EQ(h.address, L"http://127.0.0.1/a.zip");
    EXPECT_EQ(h.referrer, L"http://127.0.0.1/");
    EXPECT_EQ(h.fileName, L"a.zip");
    EXPECT_EQ(h.cookie, L"s=1; t=2");
    EXPECT_EQ(h.userAgent, L"UA/5");

    // Escaped slashes and \u00e9 arrive as plain slashes and the one character.
    h = RecordFor(HandOverJson("https:\\/\\/h\\/caf\\u00e9.zip", "caf\\u00e9.zip"));
    EXPECT_EQ(h.address, L"https://h/caf\u00e9.zip");
    EXPECT_EQ(h.fileName, L"caf\u00e9.zip");

    // A missing cookie still gives five fields.
    h = RecordFor("{\"url\":\"http://h/b\",\"referrer\":\"r\",\"filename\":\"f\",\"ua\":\"u\"}");
    EXPECT_EQ(h.cookie, L"");
    EXPECT_EQ(h.fileName, L"f");
    EXPECT_EQ(h.userAgent, L"u");

    // A file name or address "ping" is a hand-over, not a ping; a value "ua" shifts nothing.
    h = RecordFor(HandOverJson("http://h/ping", "ping"));
    EXPECT_EQ(h.fileName, L"ping");
    h = RecordFor(HandOverJson("http://h/c", "", "", "ua", "Real/1"));
    EXPECT_EQ(h.referrer, L"ua");
    EXPECT_EQ(h.userAgent, L"Real/1");
    EXPECT_FALSE(FileExists(appData_.File(L"Vonu"))) << "the host creates no data folder";
}

TEST_F(NativeHostTest, EscapesThatWouldBreakTheRecord) {
    StartWindow();
    // \u0000 and \u001f would cut the record or shift its fields: they arrive as spaces.
    HandOver h = RecordFor(HandOverJson("http://h/a", "x\\u0000y\\u001fz.zip", "c\\u001f=1"));
    EXPECT_EQ(h.fileName, L"x y z.zip");
    EXPECT_EQ(h.cookie, L"c =1");
    EXPECT_EQ(h.userAgent, L"Test/1");
    // Raw NUL bytes and invalid UTF-8.
    std::string json = HandOverJson("http://h/n", std::string("a\0b\xFF", 4));
    h = RecordFor(json);
    EXPECT_EQ(h.fileName, L"a b\xFFFD");
    EXPECT_EQ(h.cookie, L"c=1");
    // Surrogate pairs and a lone surrogate; \u with too few or no hex digits.
    h = RecordFor(HandOverJson("http://h/s", "\\ud83d\\ude00\\uD800.zip"));
    EXPECT_EQ(h.fileName, L"\xD83D\xDE00\xD800.zip");
    h = RecordFor(HandOverJson("http://h/u", "a\\uZZ9Zb"));
    EXPECT_EQ(h.fileName, L"aZZ9Zb");
    // A backslash as the last byte; an unterminated string.
    h = RecordFor("{\"url\":\"http://h/end\",\"filename\":\"x\\");
    EXPECT_EQ(h.fileName, L"x");
    h = RecordFor("{\"url\":\"http://h/open");
    EXPECT_EQ(h.address, L"http://h/open");
}

TEST_F(NativeHostTest, WindowThatRefusesOrHangs) {
    StartWindow();
    window_->SetMode(StandInWindow::Mode::Refuse);
    EXPECT_EQ(Run(NativeFrame(HandOverJson("http://h/refused"))), kNoAnswer);
    window_->SetMode(StandInWindow::Mode::Hang);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Run(NativeFrame(HandOverJson("http://h/slow"))), kNoAnswer);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 4500u);
    EXPECT_LT(took, 9000u);
    window_->SetMode(StandInWindow::Mode::Accept);
}

TEST_F(NativeHostTest, ARecordOverTheCapIsRefused) {
    StartWindow();
    // 131,072 characters with the NUL: two bytes over the receiver's cap.
    const std::string url = "http://h/" + std::string(kMaxHandOverBytes / 2 - 9 - 4, 'a');
    EXPECT_EQ(Run(NativeFrame(HandOverJson(url, "", "", "", ""))), kNoAnswer);
    // One character shorter fits exactly.
    EXPECT_EQ(Run(NativeFrame(HandOverJson(url.substr(0, url.size() - 1), "", "", "", ""))), kAccepted);
    // A 4 MiB hand-over: read whole, refused by the receiver.
    const size_t rest = 4194304 - HandOverJson("http://h/big").size();
    const std::string big = HandOverJson("http://h/big", std::string(rest, 'f'));
    ASSERT_EQ(big.size(), 4194304u);
    EXPECT_EQ(Run(NativeFrame(big)), kNoAnswer);
}

TEST_F(NativeHostTest, TenHostsAtOnce) {
    StartWindow();
    std::vector<std::unique_ptr<HostProcess>> hosts;
    for (int i = 0; i < 10; ++i) hosts.push_back(std::make_unique<HostProcess>(appData_.path()));
    for (int i = 0; i < 10; ++i) {
        hosts[i]->Write(NativeFrame(HandOverJson("http://h/many/" + std::to_string(i))));
        hosts[i]->CloseInput();
    }
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(hosts[i]->ReadReply(20000), kAccepted);
        EXPECT_TRUE(hosts[i]->WaitEnd(10000));
    }
    EXPECT_EQ(window_->Records().size(), 10u);
}

TEST_F(NativeHostTest, NoProgramThatStarts) {
    // The single-instance mutex held here: the program the host starts finds it taken and no
    // window to bring forward, and ends. After its 150 polls the host gives up.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"VonuDownloadManager.Single");
    ASSERT_NE(mutex, nullptr);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Run(NativeFrame(HandOverJson("http://h/nobody")), true, 0, 30000), kNotStarted);
    EXPECT_GE(GetTickCount64() - start, 14000u);
    CloseHandle(mutex);
}

TEST_F(NativeHostTest, ACutProgramPathStartsNothing) {
    // A copy of Vonu.exe whose path is longer than MAX_PATH: GetModuleFileNameW cuts it, and
    // the cut path names another file. The host refuses at once.
    TempFolder deep;
    std::wstring folder = deep.path();
    while (folder.size() < 280) {
        folder += L"\\deeper-folder-for-a-long-path";
        CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    }
    const std::wstring exe = folder + L"\\Vonu.exe";
    ASSERT_TRUE(CopyFileW(VonuExePath().c_str(), (L"\\\\?\\" + exe).c_str(), FALSE));
    HostProcess host(appData_.path(), L"\\\\?\\" + exe);
    if (!host.started()) GTEST_SKIP() << "this system cannot start a program from a path that long (Wine cannot; Windows can)";
    host.Write(NativeFrame(HandOverJson("http://h/cut")));
    host.CloseInput();
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(host.ReadReply(20000), kNotStarted);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_TRUE(host.WaitEnd(10000));
    EXPECT_TRUE(MainWindows().empty());
    RemoveTree(L"\\\\?\\" + deep.path());
}

}  // namespace
}  // namespace vonu
