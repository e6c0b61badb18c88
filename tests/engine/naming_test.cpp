#include "engine/naming.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include "model/download_manager.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

struct Case {
    std::wstring in;
    std::wstring out;
};

TEST(NamingTest, NameFromAddressDecodesTheLastComponent) {
    const Case cases[] = {
        {L"http://h/dir/My%20File+1.zip?x=y", L"My File 1.zip"},
        {L"http://h/dir/", L""},
        {L"http://h", L""},
        {L"http://h?x=/a.zip", L""},
        {L"https://h/a/b.iso#frag/x", L"b.iso"},
        {L"http://h/%D9%85%D9%84%D9%81.pdf", L"\u0645\u0644\u0641.pdf"},
        {L"http://h/caf\u00e9.txt", L"caf\u00e9.txt"},
        {L"http://h/100%25.txt", L"100%.txt"},
        {L"http://h/bad%zz%4.txt", L"bad%zz%4.txt"},
        {L"http://h/%FF.bin", L"\uFFFD.bin"},
        {L"plain/name.txt", L"name.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.size() << " chars");
        EXPECT_EQ(NameFromAddress(c.in), c.out);
    }
}

TEST(NamingTest, PlaylistAddressesEndInM3u8BeforeTheQuery) {
    EXPECT_TRUE(IsPlaylistAddress(L"https://h/live/INDEX.M3U8?token=1"));
    EXPECT_TRUE(IsPlaylistAddress(L"a.m3u8"));
    EXPECT_FALSE(IsPlaylistAddress(L".m3u8"));  // six characters at least
    EXPECT_FALSE(IsPlaylistAddress(L"m3u8"));
    EXPECT_FALSE(IsPlaylistAddress(L"https://h/a.mp4?list=.m3u8"));
    EXPECT_FALSE(IsPlaylistAddress(L"https://h/a.m3u8x"));
    EXPECT_TRUE(IsPlaylistAddress(L"https://h/a.m3u8#t=3"));
}

TEST(NamingTest, RepairReadsLatin1MisreadingsAsUtf8) {
    // "café" sent as UTF-8 and read as Latin-1 arrives as "cafÃ©".
    EXPECT_EQ(RepairName(L"caf\u00c3\u00a9.txt"), L"caf\u00e9.txt");
    EXPECT_EQ(RepairName(L"caf\u00e9.txt"), L"caf\u00e9.txt");  // not UTF-8 as bytes: unchanged
    EXPECT_EQ(RepairName(L"plain.txt"), L"plain.txt");
    EXPECT_EQ(RepairName(L"\u0645 \u00c3\u00a9"), L"\u0645 \u00c3\u00a9");  // real Unicode: unchanged
}

TEST(NamingTest, ContentDispositionForms) {
    const Case cases[] = {
        {L"attachment; filename*=UTF-8''%D9%85%D9%84%D9%81.pdf", L"\u0645\u0644\u0641.pdf"},
        {L"attachment; filename=\"a;b.txt\"", L"a;b.txt"},
        {L"attachment; filename=report.pdf; size=3", L"report.pdf"},
        {L"attachment; filename=\"plain.txt\"; filename*=UTF-8''star%20name.txt", L"star name.txt"},
        {L"attachment; filename*=\"\"; filename=fallback.txt", L"fallback.txt"},
        {L"attachment; filename*=UTF-8''", L""},
        {L"inline", L""},
        {L"attachment; FILENAME=upper.txt", L""},  // the search is case-sensitive
        {L"attachment; filename=\"caf\u00c3\u00a9.txt\"", L"caf\u00e9.txt"},
        {L"attachment; filename=\"unterminated.txt", L"unterminated.txt"},
        {L"attachment; filename=trailing.txt   ", L"trailing.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case of " << c.in.size() << " chars");
        EXPECT_EQ(NameFromContentDisposition(c.in), c.out);
    }
}

TEST(NamingTest, SanitizeMakesNamesSafeForWindows) {
    const Case cases[] = {
        {L"a<b>:c", L"a_b__c"},
        {L"  x. . ", L"x"},
        {L"CON.txt", L"_CON.txt"},
        {L"com1", L"_com1"},
        {L"COM10.txt", L"COM10.txt"},
        {L"nul.tar.gz", L"_nul.tar.gz"},  // Windows reserves the device name before any dot
        {L"Aux .txt", L"_Aux .txt"},
        {L"lpt9.log", L"_lpt9.log"},
        {L"console.txt", L"console.txt"},
        {L"..", L"download"},
        {L"", L"download"},
        {L"../../etc/passwd", L".._.._etc_passwd"},
        {L"..\\..\\win.ini", L".._.._win.ini"},
        {L"a\tb\r\nc\x01.txt", L"a_b__c_.txt"},
        {L"x\u202Egpj.exe", L"xgpj.exe"},  // right-to-left override removed
        {L"\u200Bz\uFEFF\u2066w\u0085.txt", L"zw.txt"},
        {L"a|b?c*d\"e/f\\g", L"a_b_c_d_e_f_g"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case of " << c.in.size() << " chars");
        EXPECT_EQ(SanitizeFileName(c.in), c.out);
    }
}

TEST(NamingTest, SanitizeCutsLongNamesTo200KeepingShortExtensions) {
    std::wstring tarGz = std::wstring(243, L'n') + L".tar.gz";  // 250 characters
    std::wstring out = SanitizeFileName(tarGz);
    EXPECT_EQ(out.size(), 200u);
    EXPECT_TRUE(out.ends_with(L"nnn.gz"));

    // An "extension" longer than 10 characters after the dot is not kept.
    std::wstring longExt = std::wstring(300, L'a') + L".verylongextension";
    out = SanitizeFileName(longExt);
    EXPECT_EQ(out, std::wstring(200, L'a'));

    // 10,000 characters of hostile header text end as one safe 200-character name.
    std::wstring hostile;
    for (int i = 0; i < 2000; ++i) hostile += L"../\x01:";
    out = SanitizeFileName(hostile);
    EXPECT_LE(out.size(), 200u);
    EXPECT_EQ(out.find_first_of(L"/\\:\x01"), std::wstring::npos);

    // A cut that would leave a trailing dot or space never does.
    std::wstring dots = std::wstring(199, L'b') + L". " + std::wstring(50, L'c');
    out = SanitizeFileName(dots);
    EXPECT_EQ(out, std::wstring(199, L'b'));

    // A character outside the basic plane is never cut in half.
    std::wstring emoji = L"a";
    for (int i = 0; i < 150; ++i) emoji += L"\U0001F600";
    out = SanitizeFileName(emoji);
    EXPECT_EQ(out.size(), 199u);
    EXPECT_TRUE(out.back() >= 0xDC00 && out.back() <= 0xDFFF);
}

class UniquePathTest : public testing::Test {
protected:
    void TearDown() override {
        std::lock_guard guard(Manager().lock);
        Manager().downloads.clear();
    }
    std::wstring Unique(const std::wstring& path, int32_t own = 0) { return UniquePath(Manager(), path, own); }
    test::TempFolder dir;
};

TEST_F(UniquePathTest, SkipsFilesLeftoversAndOtherDownloads) {
    const std::wstring file = dir.File(L"file.zip");
    EXPECT_EQ(Unique(file), file);
    test::WriteBytes(file, "x");
    test::WriteBytes(dir.File(L"file (2).zip.vonu"), "x");
    EXPECT_EQ(Unique(file), dir.File(L"file (3).zip"));

    auto other = std::make_shared<DownloadItem>();
    other->id = 7;
    other->path = dir.File(L"FILE (3).ZIP");
    {
        std::lock_guard guard(Manager().lock);
        Manager().downloads.push_back(other);
    }
    EXPECT_EQ(Unique(file), dir.File(L"file (4).zip"));
    EXPECT_EQ(Unique(file, 7), dir.File(L"file (3).zip")) << "its own path is not taken";
}

TEST_F(UniquePathTest, NumbersGoAtTheEndWithoutExtension) {
    test::WriteBytes(dir.File(L"README"), "x");
    EXPECT_EQ(Unique(dir.File(L"README")), dir.File(L"README (2)"));
    // A dot in a folder name is not an extension.
    std::wstring sub = dir.File(L"v1.2");
    CreateDirectoryW(sub.c_str(), nullptr);
    test::WriteBytes(sub + L"\\notes", "x");
    EXPECT_EQ(Unique(sub + L"\\notes"), sub + L"\\notes (2)");
    // A folder and a video download's parts folder take a name too.
    CreateDirectoryW(dir.File(L"clip.mp4.vonu.parts").c_str(), nullptr);
    EXPECT_EQ(Unique(dir.File(L"clip.mp4")), dir.File(L"clip (2).mp4"));
    CreateDirectoryW(dir.File(L"folder").c_str(), nullptr);
    EXPECT_EQ(Unique(dir.File(L"folder")), dir.File(L"folder (2)"));
}

TEST_F(UniquePathTest, ManySameNamedDownloadsTakeOneNameEach) {
    // 3,000 downloads named like the k-th file of "get.php?id=*": the next one gets the first
    // free number, and a name a download holds in other letter case is taken.
    const std::wstring file = dir.File(L"get.php");
    {
        std::lock_guard guard(Manager().lock);
        for (int k = 1; k <= 3000; ++k) {
            auto item = std::make_shared<DownloadItem>();
            item->id = k;
            item->path = k == 1 ? dir.File(L"GET.PHP") : dir.File(L"get (" + std::to_wstring(k) + L").PHP");
            Manager().downloads.push_back(item);
        }
    }
    test::WriteBytes(dir.File(L"get (3001).php"), "x");
    EXPECT_EQ(Unique(file), dir.File(L"get (3002).php"));
    EXPECT_EQ(Unique(file, 2), dir.File(L"get (2).php"));
}

}  // namespace
}  // namespace vonu
