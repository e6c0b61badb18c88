// Installing an update, step by step: the old program's file name, the download with its
// size and SHA-256 checks (nginx, the fault server), and the swap with its rollback on a
// copy of a small Windows program (the scanner stand-in, which records how it was started).
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "engine/http_request.h"
#include "app/version_repair.h"
#include "model/text_encoding.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"
#include "update/update_install.h"
#include "update/update_signature.h"

namespace vonu {
namespace {

using test::FileExists;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::wstring Hex(const std::string& bytes) { return HexDigest(Sha256(bytes).value()); }

// A version of this process's own, so parallel tests never share a temporary file name.
std::wstring OwnVersion(int n) {
    return L"9." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(n);
}

TEST(UpdateInstall, OldProgramPathTakesTheExtensionOfTheFileNameOnly) {
    struct Case {
        const wchar_t* exe;
        const wchar_t* old;
    } const cases[] = {
        {L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu\\Vonu.exe",
         L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu\\Vonu.old.exe"},
        {L"C:\\Tools\\Vonu.EXE", L"C:\\Tools\\Vonu.old.exe"},
        {L"C:\\Apps\\vonu.app\\Vonu",
         L"C:\\Apps\\vonu.app\\Vonu.old.exe"},  // a dot in a folder, none in the name
        {L"C:\\v1.2\\Vonu.1.2.exe", L"C:\\v1.2\\Vonu.1.2.old.exe"},
        {L"D:/mixed.dir/Vonu", L"D:/mixed.dir/Vonu.old.exe"},
        {L"Vonu.exe", L"Vonu.old.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.exe));
        EXPECT_EQ(OldProgramPath(c.exe), c.old);
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    EXPECT_EQ(NewProgramPath(L"1.3.0"), std::wstring(temp) + L"Vonu-1.3.0.exe");
}

class UpdateDownloadTest : public test::HttpServersTest {
protected:
    UpdateResult Offer(const std::wstring& path, const std::string& bytes, int n) {
        UpdateResult r;
        r.ok = true;
        r.version = OwnVersion(n);
        r.exe = test::HttpsUrl(path);
        r.sha256 = Hex(bytes);
        r.size = static_cast<int64_t>(bytes.size());
        DeleteFileW(NewProgramPath(r.version).c_str());
        return r;
    }
    bool Download(const UpdateResult& offer) {
        received = 0;
        return DownloadUpdateFile(offer, *item, received, contentLength, path, error);
    }
    std::atomic<int64_t> received{0}, contentLength{-1};
    std::wstring path, error;
};

TEST_F(UpdateDownloadTest, AFileThatMatchesIsWrittenToTheTemporaryFolder) {
    const std::string bytes = test::PatternBytes(4 << 20);
    const UpdateResult offer = Offer(L"/files/4mib.bin", bytes, 1);
    ASSERT_TRUE(Download(offer)) << WideToUtf8(error);
    EXPECT_EQ(path, NewProgramPath(offer.version));
    EXPECT_TRUE(ReadBytes(path) == bytes);
    EXPECT_EQ(received.load(), 4 << 20);
    EXPECT_EQ(contentLength.load(), 4 << 20);
    DeleteFileW(path.c_str());

    UpdateResult upper = offer;
    for (wchar_t& c : upper.sha256) c = static_cast<wchar_t>(towupper(c));
    ASSERT_TRUE(Download(upper)) << "the hash compares without regard to case";
    DeleteFileW(path.c_str());
}

TEST_F(UpdateDownloadTest, AFileThatDoesNotMatchNeverReachesTheDisk) {
    const std::string bytes = test::PatternBytes(4 << 20);
    UpdateResult wrongHash = Offer(L"/files/4mib.bin", bytes, 2);
    wrongHash.sha256 = Hex("something else");
    UpdateResult wrongSize = Offer(L"/files/4mib.bin", bytes, 3);
    wrongSize.size -= 1;
    for (const UpdateResult* offer : {&wrongHash, &wrongSize}) {
        EXPECT_FALSE(Download(*offer));
        EXPECT_EQ(error, L"The downloaded file is damaged. Try again.");
        EXPECT_EQ(path, L"");
        EXPECT_FALSE(FileExists(NewProgramPath(offer->version)));
    }
}

TEST_F(UpdateDownloadTest, FetchFailuresKeepTheirSentence) {
    UpdateResult toHttp = Offer(L"/to-http", test::PatternBytes(1000), 4);
    EXPECT_FALSE(Download(toHttp));
    EXPECT_EQ(error, L"The server redirected to an address that is not secure");
    UpdateResult missing = Offer(L"/files/none.bin", "", 5);
    EXPECT_FALSE(Download(missing));
    EXPECT_EQ(error, L"HTTP 404: file not found on the server");
    EXPECT_FALSE(FileExists(NewProgramPath(toHttp.version)));
}

TEST_F(UpdateDownloadTest, ClosingTheRequestsStopsTheDownload) {
    UpdateResult offer = Offer(L"/files/x", test::PatternBytes(1 << 20), 6);
    offer.exe = test::FaultUrl(L"/trickle?chunk=4096&pause=100&size=1048576&tag=" + tag);
    bool ok = true;
    std::thread download([&] { ok = Download(offer); });
    ASSERT_TRUE(test::WaitUntilTrue(10000, [&] { return received.load() > 0; }));
    // Closing the item's requests alone ends the fetch: the request is registered in the
    // item the caller gave (the dialog's), so its Cancel can wake a read that waits for the
    // server (at once on Windows; under Wine with the next piece).
    const auto began = std::chrono::steady_clock::now();
    CloseOpenRequests(Manager(), *item);
    download.join();
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.empty());
    EXPECT_LT(took, std::chrono::seconds(5)) << "one trickle pause, not the whole body";
    EXPECT_EQ(contentLength.load(), 1048576);
    EXPECT_FALSE(FileExists(NewProgramPath(offer.version)));

    // With the cancel flag set as well (the dialog sets both), the sentence is "Cancelled".
    std::thread again([&] { ok = Download(offer); });
    ASSERT_TRUE(test::WaitUntilTrue(10000, [&] { return received.load() > 0; }));
    item->cancel = true;
    CloseOpenRequests(Manager(), *item);
    again.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, L"Cancelled");
}

// The swap on a copy of the scanner stand-in: "app.exe" is the running program, "new.exe"
// the checked download.
class UpdateSwapTest : public testing::Test {
protected:
    void SetUp() override {
        original_ = ReadBytes(ProgramFolder() + L"\\scanner_standin.exe");
        ASSERT_GT(original_.size(), 1000u);
        fresh_ = original_ + "appended after the last section";
        exe_ = folder_.File(L"app.exe");
        new_ = folder_.File(L"new.exe");
        WriteBytes(exe_, original_);
        WriteBytes(new_, fresh_);
    }
    bool Swap(const std::string& expected) {
        return SwapProgramFile(exe_, new_, Hex(expected), static_cast<int64_t>(expected.size()),
                               L" /restart /updated");
    }
    void ExpectRolledBack() {
        EXPECT_TRUE(ReadBytes(exe_) == original_) << "the old program is back in its place";
        EXPECT_FALSE(FileExists(exe_ + L".args")) << "nothing was started";
    }

    TempFolder folder_;
    std::string original_, fresh_;
    std::wstring exe_, new_;
};

TEST_F(UpdateSwapTest, TheNewProgramTakesThePlaceAndStartsWithRestartAndUpdated) {
    WriteBytes(folder_.File(L"app.old.exe"), "left by an earlier update");
    ASSERT_TRUE(Swap(fresh_));
    EXPECT_TRUE(ReadBytes(exe_) == fresh_);
    EXPECT_TRUE(ReadBytes(folder_.File(L"app.old.exe")) == original_);
    EXPECT_FALSE(FileExists(new_));
    ASSERT_TRUE(test::WaitUntilTrue(10000, [&] { return FileExists(exe_ + L".args"); }));
    std::wstring args;
    ASSERT_TRUE(test::WaitUntilTrue(5000, [&] {
        const std::string raw = ReadBytes(exe_ + L".args");
        args.assign(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2);
        return !args.empty();
    }));
    EXPECT_EQ(args, L"\"" + exe_ + L"\" /restart /updated");
}

TEST_F(UpdateSwapTest, FailuresPutTheOldProgramBack) {
    // The old name taken by a folder that is not empty (tests run as root: no read-only trick).
    const std::wstring taken = folder_.File(L"app.old.exe");
    ASSERT_TRUE(CreateDirectoryW(taken.c_str(), nullptr));
    WriteBytes(taken + L"\\keep.txt", "x");
    EXPECT_FALSE(Swap(fresh_));
    ExpectRolledBack();
    EXPECT_TRUE(FileExists(new_)) << "the caller deletes the download";
    test::RemoveTree(taken);

    // The file moved in is not the one that was checked (changed between the check and the move).
    WriteBytes(new_, fresh_ + "!");
    EXPECT_FALSE(Swap(fresh_));
    ExpectRolledBack();
    EXPECT_FALSE(FileExists(new_));

    // The checked file is no program: CreateProcessW fails.
    const std::string text = "not a program";
    WriteBytes(new_, text);
    EXPECT_FALSE(Swap(text));
    ExpectRolledBack();

    // Nothing to move in.
    DeleteFileW(new_.c_str());
    EXPECT_FALSE(Swap(fresh_));
    ExpectRolledBack();
}

TEST_F(UpdateSwapTest, NothingStartsFromAFileSomeoneElseCanStillWrite) {
    // Another process holds the downloaded file open for writing (and allows it to be moved):
    // the swap's own open without write sharing fails, so nothing is started from it. (Putting
    // the old program back over a file someone holds open works on Windows; Wine refuses the
    // move while the holder keeps it, so the place of the files is not checked here.)
    HANDLE writer =
        CreateFileW(new_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Swap(fresh_));
    CloseHandle(writer);
    Sleep(1000);
    EXPECT_FALSE(FileExists(exe_ + L".args")) << "nothing was started";
}

}  // namespace
}  // namespace vonu
