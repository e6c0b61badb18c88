// AddDownload and ProbeDownload against the loopback servers: what the probe learns from
// 206, 200 and "*" answers, names from headers and addresses, and failures on the item.
#include "engine/probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "engine/naming.h"
#include "model/categories.h"
#include "model/text_encoding.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::FaultUrl;
using test::NginxUrl;

class ProbeTest : public test::HttpServersTest {
protected:
    void SetUp() override {
        HttpServersTest::SetUp();
        std::lock_guard guard(Manager().categoryLock);
        Manager().categories = BuiltInCategories();
        Manager().BaseDir = base.path();
        Manager().MaxConn = 5;
    }
    void TearDown() override {
        std::vector<std::shared_ptr<DownloadItem>> items;
        {
            std::lock_guard guard(Manager().lock);
            items = Manager().downloads;
        }
        for (auto& i : items)
            if (i->probe.joinable()) i->probe.join();
        HttpServersTest::TearDown();
    }
    // Adds, waits for the probe thread to end, and returns the item.
    std::shared_ptr<DownloadItem> AddAndProbe(const std::wstring& address, DownloadOptions options = {}) {
        int32_t id = AddDownload(address, options);
        std::shared_ptr<DownloadItem> added;
        {
            std::lock_guard guard(Manager().lock);
            added = Manager().FindLocked(id);
        }
        EXPECT_TRUE(added);
        if (added && added->probe.joinable()) added->probe.join();
        EXPECT_FALSE(added->probing.load());
        return added;
    }
    test::TempFolder base;
};

TEST_F(ProbeTest, RangedAnswerGivesSizeResumableNameAndPath) {
    auto d = AddAndProbe(NginxUrl(L"/files/4mib.bin"));
    EXPECT_TRUE(d->probed);
    EXPECT_EQ(d->size, 4 << 20);
    EXPECT_TRUE(d->resumable);
    EXPECT_EQ(d->fileName, L"4mib.bin");
    EXPECT_EQ(d->category, L"General");
    EXPECT_EQ(d->path, base.File(L"4mib.bin"));
    EXPECT_EQ(d->connections, 5);
    EXPECT_EQ(d->state, DownloadState::Stopped);
    EXPECT_GT(d->added, 0);
    EXPECT_TRUE(d->lastError.empty());
}

TEST_F(ProbeTest, TheProbeAsksForTheFirstByteWithTheItemsHeaders) {
    DownloadOptions options;
    options.referrer = L"http://pages.example/";
    options.cookie = L"k=v";
    options.userAgent = L"Browser/1";
    auto d = AddAndProbe(FaultUrl(L"/file?size=12345&tag=" + tag), options);
    EXPECT_EQ(d->size, 12345);
    EXPECT_TRUE(d->resumable);
    auto log = test::RequestsWithTag(tag);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].Header("range"), "bytes=0-0");
    EXPECT_EQ(log[0].Header("referer"), "http://pages.example/");
    EXPECT_EQ(log[0].Header("cookie"), "k=v");
    EXPECT_EQ(log[0].Header("user-agent"), "Browser/1");
}

TEST_F(ProbeTest, SizesFromTheKindsOfAnswer) {
    struct Case {
        std::wstring path;
        int64_t size;
        bool resumable;
    };
    const Case cases[] = {
        {L"/ignore-range?size=500", 500, false},                        // 200 to a range request
        {L"/star", -1, false},                                           // 206 bytes 0-0/*
        {L"/headers?status=206&cr=bytes%200-0/", -1, false},             // nothing after "/"
        {L"/headers?status=206&cr=garbage", -1, false},                  // no "/" at all
        {L"/headers?status=206&cr=bytes%200-0/x12", -1, false},          // not a digit
        {L"/headers?status=206&cr=bytes%200-0/99999999999999999999999", -1, false},  // overflow
        {L"/headers?status=206&cr=bytes%200-0/77%20extra", 77, true},
        {L"/headers?status=200&size=16", 16, false},
        {L"/headers?status=200&size=16&cl=99999", 99999, false},  // more than the body: as told
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.path));
        auto d = AddAndProbe(FaultUrl(c.path + (c.path.find(L'?') == std::wstring::npos ? L"?" : L"&") +
                                      L"tag=" + tag));
        EXPECT_TRUE(d->probed) << WideToUtf8(d->lastError);
        EXPECT_EQ(d->size, c.size);
        EXPECT_EQ(d->resumable, c.resumable);
    }
}

TEST_F(ProbeTest, ContentDispositionNamesAreMadeSafe) {
    struct Case {
        std::wstring disposition;  // already percent-encoded for the query
        std::wstring name;
        std::wstring category;
    };
    const Case cases[] = {
        {L"attachment;%20filename=%22..%2F..%2Fevil%01.exe%22", L".._.._evil_.exe", L"Programs"},
        {L"attachment;%20filename*=UTF-8''%25D9%2585%25D9%2584%25D9%2581.pdf", L"\u0645\u0644\u0641.pdf",
         L"Documents"},
        {L"attachment;%20filename=%22CON.zip%22", L"_CON.zip", L"Compressed"},
        {L"attachment;%20filename=%22..%22", L"download", L"General"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        auto d = AddAndProbe(FaultUrl(L"/headers?cd=" + c.disposition + L"&tag=" + tag));
        ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
        EXPECT_EQ(d->fileName, c.name);
        EXPECT_EQ(d->category, c.category);
        std::wstring folder = c.category == L"General" ? base.path() : base.File(c.category);
        EXPECT_EQ(d->path, folder + L"\\" + c.name);
    }
    // A name of 10,000 characters is cut to 200 (Wine cuts long header lines itself, and so
    // may have dropped the extension already).
    auto d = AddAndProbe(FaultUrl(L"/headers?cd=attachment;%20filename=" + std::wstring(10000, L'x') +
                                  L".mp3&tag=" + tag));
    ASSERT_TRUE(d->probed) << WideToUtf8(d->lastError);
    EXPECT_EQ(d->fileName.size(), 200u);
    EXPECT_EQ(d->fileName.substr(0, 196), std::wstring(196, L'x'));
    if (!test::UnderWine()) {
        EXPECT_TRUE(d->fileName.ends_with(L".mp3"));
    }
}

TEST_F(ProbeTest, NamesFromTheFinalAddressOrFromAddingTime) {
    // Named from where the redirect led.
    auto d = AddAndProbe(NginxUrl(L"/moved"));
    EXPECT_EQ(d->fileName, L"small.bin");
    // No name in the address and a poor one from the server: the name given at adding stays.
    DownloadOptions options;
    options.fileName = L"chosen.iso";
    d = AddAndProbe(FaultUrl(L"/file/?size=10&tag=" + tag), options);
    EXPECT_EQ(d->fileName, L"chosen.iso");
    EXPECT_EQ(d->category, L"Compressed");
    // Nothing anywhere: "download".
    d = AddAndProbe(FaultUrl(L"/file/?size=10&tag=" + tag));
    EXPECT_EQ(d->fileName, L"download");
    EXPECT_EQ(d->path, base.File(L"download"));
}

TEST_F(ProbeTest, TwoDownloadsOfOneFileGetTwoPaths) {
    test::WriteBytes(base.File(L"small.bin"), "old");
    auto a = AddAndProbe(NginxUrl(L"/files/small.bin"));
    auto b = AddAndProbe(NginxUrl(L"/files/small.bin"));
    EXPECT_EQ(a->path, base.File(L"small (2).bin"));
    EXPECT_EQ(b->path, base.File(L"small (3).bin"));
}

TEST_F(ProbeTest, APlaylistTypeMakesAVideoDownload) {
    auto d = AddAndProbe(FaultUrl(L"/headers?ct=application/vnd.apple.mpegurl&tag=" + tag));
    EXPECT_TRUE(d->video);
    EXPECT_FALSE(d->probed);
}

TEST_F(ProbeTest, FailuresLandOnTheItemUnlessCancelled) {
    auto d = AddAndProbe(FaultUrl(L"/status/404?tag=" + tag));
    EXPECT_FALSE(d->probed);
    EXPECT_EQ(d->lastError, L"HTTP 404: file not found on the server");
    EXPECT_EQ(d->fileName, L"404") << "the name from adding time stays";

    d = AddAndProbe(FaultUrl(L"/auth/basic?tag=" + tag));
    EXPECT_EQ(d->lastError, L"This site needs a user name and password. Add them in Options, Site logins.");
    AddLogin(L"127.0.0.1", L"user", L"secret");
    d->lastError.clear();
    EXPECT_TRUE(ProbeDownload(Manager(), *d));
    EXPECT_TRUE(d->probed);
    EXPECT_TRUE(d->lastError.empty());

    // A probe that fails after the user stopped the download leaves no error.
    auto stopped = std::make_shared<DownloadItem>();
    stopped->url = FaultUrl(L"/status/500?tag=" + tag);
    stopped->cancel = true;
    EXPECT_FALSE(ProbeDownload(Manager(), *stopped));
    EXPECT_TRUE(stopped->lastError.empty());
    EXPECT_FALSE(stopped->probing.load());
}

TEST_F(ProbeTest, AUserPathIsKept) {
    auto d = std::make_shared<DownloadItem>();
    d->url = NginxUrl(L"/files/4mib.bin");
    d->fileName = L"mine.dat";
    d->path = L"C:\\somewhere\\mine.dat";
    d->category = L"Video";
    d->userPath = true;
    ASSERT_TRUE(ProbeDownload(Manager(), *d));
    EXPECT_EQ(d->size, 4 << 20);
    EXPECT_EQ(d->fileName, L"mine.dat");
    EXPECT_EQ(d->path, L"C:\\somewhere\\mine.dat");
    EXPECT_EQ(d->category, L"Video");
}

}  // namespace
}  // namespace vonu
