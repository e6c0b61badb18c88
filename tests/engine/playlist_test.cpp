// Reading HLS playlists: attributes, the variant choice, parts, keys and IVs, the map, the
// refusals, and the probe against nginx serving streams made by the real ffmpeg
// (engine/hls/make_fixtures.sh).
#include "engine/playlist.h"

#include <gtest/gtest.h>

#include <mutex>

#include "app/version_repair.h"
#include "engine/aes128.h"
#include "engine/ffmpeg.h"
#include "engine/probe.h"
#include "engine/video_transfer.h"
#include "model/text_encoding.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using namespace vonu::test;

const std::wstring kBase = L"http://h/a/b/list.m3u8";

MediaPlaylist Parse(const std::string& body, std::wstring* error = nullptr) {
    MediaPlaylist out;
    std::wstring e;
    const bool ok = ParseMediaPlaylist(body, kBase, out, e);
    if (error) *error = ok ? L"" : e;
    return out;
}

TEST(PlaylistAttribute, FindsNamesOnlyAtAttributeStarts) {
    struct Case {
        const wchar_t* line;
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"#EXT-X-KEY:METHOD=AES-128,URI=\"k.bin\",IV=0x01", L"METHOD", L"AES-128"},
        {L"#EXT-X-KEY:METHOD=AES-128,URI=\"k.bin\",IV=0x01", L"URI", L"k.bin"},
        {L"#EXT-X-KEY:METHOD=AES-128,URI=\"k.bin\",IV=0x01", L"IV", L"0x01"},
        {L"#EXT-X-KEY:METHOD=AES-128,URI=\"a,b.bin\"", L"URI", L"a,b.bin"},       // a comma inside quotes
        {L"#EXT-X-KEY:URI=\"unterminated", L"URI", L"unterminated"},              // to the end of the line
        {L"#EXT-X-STREAM-INF:AVERAGE-BANDWIDTH=5,BANDWIDTH=7", L"BANDWIDTH", L"7"},  // not inside another name
        {L"#EXT-X-STREAM-INF:AVERAGE-BANDWIDTH=5", L"BANDWIDTH", L""},
        {L"BANDWIDTH=9", L"BANDWIDTH", L"9"},                                      // the start of the line
        {L"#EXT-X-KEY:method=AES-128", L"METHOD", L""},                            // case-sensitive
        {L"#EXT-X-MAP:URI=\"\"", L"URI", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.line));
        EXPECT_EQ(PlaylistAttribute(c.line, c.name), c.value);
    }
}

TEST(ChooseVariant, HighestBandwidthFirstOfEqualsResolvedAgainstTheMaster) {
    const std::string master =
        "#EXTM3U\r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=800000\r\nlow/index.m3u8\r\n"
        "#EXT-X-STREAM-INF:RESOLUTION=1x1,BANDWIDTH=2500000\r\n\r\n# a comment keeps the expectation\r\nfirst.m3u8  \r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=2500000\r\nsecond.m3u8\r\n"
        "stray.m3u8\r\n";
    EXPECT_EQ(ChooseVariant(master, kBase), L"http://h/a/b/first.m3u8");

    // A variant without BANDWIDTH counts as 0: chosen only when nothing has more.
    EXPECT_EQ(ChooseVariant("#EXTM3U\n#EXT-X-STREAM-INF:RESOLUTION=1x1\n/top.m3u8\n", kBase), L"http://h/top.m3u8");
    EXPECT_EQ(ChooseVariant("#EXTM3U\n#EXT-X-STREAM-INF:X=1\nzero.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=1\none.m3u8\n", kBase),
              L"http://h/a/b/one.m3u8");
    EXPECT_EQ(ChooseVariant("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=5\n#EXT-X-ENDLIST\n", kBase), L"");
}

TEST(ParseMediaPlaylist, KeysIvsAndSequenceNumbers) {
    const std::string body =
        "#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:100\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"k1.bin\",IV=0x000102030405060708090A0B0C0D0E0F\n"
        "#EXTINF:1,\np0.ts\n#EXTINF:1,\n../p1.ts\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/k2.bin\"\n"
        "p2.ts\n"
        "#EXT-X-KEY:METHOD=NONE\n"
        "http://other/p3.ts\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"k3.bin\",IV=0x0102\n"  // not 32 digits: no explicit IV
        "p4.ts\n#EXT-X-ENDLIST\n";
    std::wstring error;
    const MediaPlaylist p = Parse(body, &error);
    ASSERT_EQ(error, L"");
    ASSERT_EQ(p.parts.size(), 5u);
    ASSERT_EQ(p.keys.size(), 3u);
    EXPECT_EQ(p.keys[0].address, L"http://h/a/b/k1.bin");
    EXPECT_EQ(p.keys[1].address, L"http://h/keys/k2.bin");
    EXPECT_FALSE(p.keys[0].fetched);

    const std::array<uint8_t, 16> explicitIv = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    struct Expect {
        const wchar_t* address;
        int32_t key;
        bool explicitIv;
        int64_t sequence;
    } expect[] = {
        {L"http://h/a/b/p0.ts", 0, true, 100},
        {L"http://h/a/p1.ts", 0, true, 101},
        {L"http://h/a/b/p2.ts", 1, false, 102},
        {L"http://other/p3.ts", -1, false, 103},
        {L"http://h/a/b/p4.ts", 2, false, 104},
    };
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.parts[i].address, expect[i].address);
        EXPECT_EQ(p.parts[i].keyIndex, expect[i].key);
        EXPECT_EQ(p.parts[i].explicitIv, expect[i].explicitIv);
        EXPECT_EQ(p.parts[i].sequence, expect[i].sequence);
        if (expect[i].explicitIv) {
            EXPECT_EQ(p.parts[i].iv, explicitIv);
        }
    }
    // Sequence 102 without an IV on its key line: fifteen zero bytes and 0x66.
    std::array<uint8_t, 16> fromSequence{};
    fromSequence[15] = 0x66;
    EXPECT_EQ(PartIv(p.parts[2]), fromSequence);
    EXPECT_EQ(PartIv(p.parts[0]), explicitIv);
    VideoPart big;
    big.sequence = 0x0102030405060708;
    EXPECT_EQ(PartIv(big), (std::array<uint8_t, 16>{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ParseMediaPlaylist, MapAndRefusals) {
    const MediaPlaylist fmp4 =
        Parse("#EXTM3U\n#EXT-X-MAP:URI=\"old.mp4\"\n#EXT-X-MAP:URI=\"init.mp4\",BYTERANGE=\"1@0\"\nseg.m4s\n#EXT-X-ENDLIST\n");
    EXPECT_EQ(fmp4.mapAddress, L"http://h/a/b/init.mp4") << "a later map line replaces an earlier one";

    struct Case {
        const char* body;
        const wchar_t* error;
    } cases[] = {
        {"#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\np.ts\n#EXT-X-ENDLIST\n", kProtectedVideo},
        {"#EXTM3U\np.ts\n#EXT-X-KEY:METHOD=SAMPLE-AES-CTR\n#EXT-X-ENDLIST\n", kProtectedVideo},
        {"#EXTM3U\n#EXT-X-KEY:URI=\"k\"\np.ts\n#EXT-X-ENDLIST\n", kProtectedVideo},  // no method at all
        {"#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES\np.ts\n", kProtectedVideo},          // DRM before live
        {"#EXTM3U\n#EXTINF:1,\np.ts\n", kLiveStream},
        {"#EXTM3U\n#EXT-X-ENDLIST \r\n", kNoParts},
        {"#EXTM3U\n#EXT-X-ENDLIST2\np.ts\n", kLiveStream},  // the end marker is the whole line
        {"#EXTM3", kNotAPlaylist},
        {"<html>not a playlist</html>", kNotAPlaylist},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        std::wstring error;
        const MediaPlaylist p = Parse(c.body, &error);
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(p.parts.empty());
    }
}

TEST(ParseMediaPlaylist, AMillionPartsAndNoMore) {
    std::string body = "#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:7\n";
    for (int i = 0; i < 1000000; ++i) body += "p.ts\n";
    body += "#EXT-X-ENDLIST\n";
    std::wstring error;
    MediaPlaylist p = Parse(body, &error);
    EXPECT_EQ(error, L"");
    ASSERT_EQ(p.parts.size(), 1000000u);
    EXPECT_EQ(p.parts.back().sequence, 1000006);
    EXPECT_EQ(PartFileName(999999), L"999999.part");
    EXPECT_EQ(PartFileName(1000000), L"1000000.part");
    EXPECT_EQ(PartFileName(5), L"000005.part");
    p = MediaPlaylist{};

    std::string tooMany = "#EXTM3U\n";
    tooMany.reserve(kMaxVideoParts * 2 + 32);
    for (size_t i = 0; i <= kMaxVideoParts; ++i) tooMany += "p\n";
    tooMany += "#EXT-X-ENDLIST\n";
    EXPECT_TRUE(Parse(tooMany, &error).parts.empty());
    EXPECT_EQ(error, kTooManyParts);
}

TEST(ParseMediaPlaylist, LongLinesAndDotSegmentsStayAddresses) {
    std::string body = "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"" + std::string(1000000, 'k') + "\"\n";
    body += std::string(1000000, 'x') + ".ts\n../../../../../etc/passwd\n..\\..\\evil.ts\n#EXT-X-ENDLIST\n";
    std::wstring error;
    const MediaPlaylist p = Parse(body, &error);
    ASSERT_EQ(error, L"");
    ASSERT_EQ(p.parts.size(), 3u);
    EXPECT_EQ(p.parts[0].address.size(), std::wstring(L"http://h/a/b/").size() + 1000003);
    EXPECT_EQ(p.parts[1].address, L"http://h/etc/passwd") << "never above the root of the server";
}

TEST(FindFfmpeg, ProgramFolderThenDriveRootedPathEntries) {
    const std::wstring adapterFolder = ProgramFolder() + L"\\..\\ffmpeg";
    ASSERT_TRUE(FileExists(adapterFolder + L"\\ffmpeg.exe"));
    ASSERT_FALSE(FileExists(ProgramFolder() + L"\\ffmpeg.exe")) << "the tests choose through PATH";
    std::vector<wchar_t> saved(32767);
    const DWORD n = GetEnvironmentVariableW(L"PATH", saved.data(), 32767);
    struct Case {
        std::wstring path;
        std::wstring found;
    } cases[] = {
        {L"", L""},
        {L"ffmpeg;.\\x;\\\\server\\share", L""},                                   // not drive-rooted
        {L"C:\\nothing-here;\"" + adapterFolder + L"\"", adapterFolder + L"\\ffmpeg.exe"},  // quotes removed
        {adapterFolder + L"\\", adapterFolder + L"\\ffmpeg.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.path.substr(0, 80)));
        SetEnvironmentVariableW(L"PATH", c.path.c_str());
        EXPECT_EQ(FindFfmpeg(), c.found);
    }
    std::wstring longPath = adapterFolder + L";C:\\";
    longPath.resize(32000, L'x');
    ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", longPath.c_str()));
    EXPECT_EQ(FindFfmpeg(), adapterFolder + L"\\ffmpeg.exe") << "a long PATH that fits is read";
    SetEnvironmentVariableW(L"PATH", n ? saved.data() : nullptr);
    EXPECT_EQ(RemuxCommandLine(L"C:\\f f\\ffmpeg.exe", L"D:\\v.mp4.vonu", L"D:\\v.mp4.vonu.mp4"),
              L"\"C:\\f f\\ffmpeg.exe\" -y -loglevel error -i \"D:\\v.mp4.vonu\" -c copy -bsf:a aac_adtstoasc -f mp4 "
              L"\"D:\\v.mp4.vonu.mp4\"");
}

// The probe against nginx.
class PlaylistProbe : public HttpServersTest {
protected:
    void SetUp() override {
        HttpServersTest::SetUp();
        Manager().BaseDir = dir.path();
        savedPath.resize(32767);
        savedPath.resize(GetEnvironmentVariableW(L"PATH", savedPath.data(), 32767));
        SetEnvironmentVariableW(L"PATH", L"C:\\windows\\system32");  // no ffmpeg unless a case adds it
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"PATH", savedPath.c_str());
        HttpServersTest::TearDown();
    }
    // A file of this test's own under nginx's /files/<tag>/.
    std::wstring Serve(const std::wstring& name, const std::string& body) {
        CreateDirectoryW((Servers().files + L"\\" + tag).c_str(), nullptr);
        WriteBytes(Servers().files + L"\\" + tag + L"\\" + name, body);
        return NginxUrl(L"/files/" + tag + L"/" + name);
    }
    std::shared_ptr<DownloadItem> Probe(const std::wstring& url) {
        const int32_t id = AddDownload(url, {});
        std::shared_ptr<DownloadItem> d;
        {
            std::lock_guard guard(Manager().lock);
            d = Manager().FindLocked(id);
        }
        EXPECT_TRUE(WaitUntilTrue(60000, [&] { return !d->probing.load(); }));
        std::lock_guard guard(Manager().lock);
        if (d->probe.joinable()) d->probe.join();
        return d;
    }
    TempFolder dir;
    std::wstring savedPath;
};

TEST_F(PlaylistProbe, MasterFollowsTheFirstBestVariantAndNamesTheVideo) {
    for (bool ffmpeg : {false, true}) {
        SCOPED_TRACE(ffmpeg ? "ffmpeg found" : "no ffmpeg");
        if (ffmpeg) SetEnvironmentVariableW(L"PATH", (ProgramFolder() + L"\\..\\ffmpeg").c_str());
        auto d = Probe(NginxUrl(L"/files/hls/master.m3u8"));
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->lastError, L"");
        EXPECT_TRUE(d->video && d->probed && d->resumable);
        EXPECT_EQ(d->size, -1);
        ASSERT_EQ(d->parts.size(), 4u);
        EXPECT_EQ(d->partCount, 4);
        EXPECT_EQ(d->parts[0].address, NginxUrl(L"/files/hls/v2/seg0.ts")) << "relative to the variant";
        EXPECT_EQ(d->parts[3].address, NginxUrl(L"/files/hls/v2/seg3.ts"));
        EXPECT_TRUE(d->keys.empty());
        EXPECT_EQ(d->fileName, ffmpeg ? L"video.mp4" : L"video.ts") << "\"master\" is no name for a video";
        EXPECT_EQ(d->category, L"Video");
        EXPECT_EQ(d->path, dir.path() + L"\\Video\\" + d->fileName);
    }
}

TEST_F(PlaylistProbe, StreamsMadeByFfmpeg) {
    auto aes = Probe(NginxUrl(L"/files/hls/aes/index.m3u8"));
    auto fmp4 = Probe(NginxUrl(L"/files/hls/fmp4/index.m3u8"));
    auto seqiv = Probe(NginxUrl(L"/files/hls/seqiv/index.m3u8"));
    std::lock_guard guard(Manager().lock);
    ASSERT_EQ(aes->parts.size(), 4u) << WideToUtf8(aes->lastError);
    ASSERT_EQ(aes->keys.size(), 1u);
    EXPECT_EQ(aes->keys[0].address, NginxUrl(L"/files/hls/aes/key.bin"));
    EXPECT_TRUE(aes->parts[2].explicitIv);
    EXPECT_EQ(aes->parts[2].iv[15], 0x0f);
    EXPECT_EQ(aes->fileName, L"video.ts");

    ASSERT_EQ(fmp4->parts.size(), 4u) << WideToUtf8(fmp4->lastError);
    EXPECT_EQ(fmp4->mapAddress, NginxUrl(L"/files/hls/fmp4/init.mp4"));
    EXPECT_EQ(fmp4->fileName, L"video.mp4") << "a stream with a map is always MP4";

    ASSERT_EQ(seqiv->parts.size(), 4u) << WideToUtf8(seqiv->lastError);
    EXPECT_FALSE(seqiv->parts[2].explicitIv);
    EXPECT_EQ(seqiv->parts[2].sequence, 102);
}

TEST_F(PlaylistProbe, RefusalsLeaveASentenceAndNoParts) {
    std::string huge = "#EXTM3U\n";
    while (huge.size() < kPlaylistCap + 100) huge += "#EXTINF:1,\npart.ts\n";
    huge += "#EXT-X-ENDLIST\n";
    struct Case {
        std::wstring url;
        std::wstring error;
    } cases[] = {
        {NginxUrl(L"/files/hls/live.m3u8"), kLiveStream},
        {NginxUrl(L"/files/hls/sample-aes.m3u8"), kProtectedVideo},
        {Serve(L"novariant.m3u8", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n"), kNoVideoFound},
        {Serve(L"nested.m3u8", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n../hls/master.m3u8\n"), kNoVideoFound},
        {Serve(L"page.m3u8", "<html><body>hello</body></html>"), kNotAPlaylist},
        {Serve(L"empty.m3u8", "#EXTM3U\n#EXT-X-ENDLIST\n"), kNoParts},
        {Serve(L"huge.m3u8", huge), kPlaylistTooLarge},
        {NginxUrl(L"/files/hls/missing.m3u8"), L"HTTP 404: file not found on the server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.url));
        auto d = Probe(c.url);
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->lastError, c.error);
        EXPECT_TRUE(d->parts.empty());
        EXPECT_FALSE(d->probed);
        EXPECT_EQ(d->partCount, 0);
    }
}

TEST_F(PlaylistProbe, ServerThatCallsItMpegurlMakesAVideoItem) {
    const std::wstring url = FaultUrl(L"/headers?status=200&size=10&ct=application/vnd.apple.mpegurl&tag=" + tag);
    auto d = Probe(url);
    std::lock_guard guard(Manager().lock);
    EXPECT_TRUE(d->video);
    EXPECT_EQ(d->lastError, kNotAPlaylist) << "the body is ten pattern bytes, not a playlist";
}

}  // namespace
}  // namespace vonu
