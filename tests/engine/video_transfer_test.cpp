// Whole video downloads against nginx and the fault server, the way the program runs them:
// AddDownload with its probe, start, the real worker and part workers, the manager tick,
// the join, the remux by the real ffmpeg (through tests/support/ffmpeg_adapter.cpp, found on
// PATH), and finishing. Plus decryption and joining on their own.
#include "engine/video_transfer.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include <functional>
#include <mutex>
#include <numeric>
#include <sstream>

#include "app/version_repair.h"
#include "engine/aes128.h"
#include "engine/http_request.h"
#include "engine/playlist.h"
#include "engine/probe.h"
#include "engine/run_hidden.h"
#include "engine/transfer.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/list_file.h"
#include "model/text_encoding.h"
#include "tests/support/download_driver.h"
#include "tests/engine/http_test_support.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using namespace vonu::test;

std::string Encrypt(const std::string& key, std::array<uint8_t, 16> iv, const std::string& plain) {
    BCRYPT_ALG_HANDLE alg = nullptr;
    BCRYPT_KEY_HANDLE k = nullptr;
    std::string out(plain.size() + 16, '\0');
    ULONG written = 0;
    BCryptOpenAlgorithmProvider(&alg, BCRYPT_AES_ALGORITHM, nullptr, 0);
    BCryptSetProperty(alg, BCRYPT_CHAINING_MODE, (PUCHAR)BCRYPT_CHAIN_MODE_CBC, sizeof(BCRYPT_CHAIN_MODE_CBC), 0);
    BCryptGenerateSymmetricKey(alg, &k, nullptr, 0, (PUCHAR)key.data(), 16, 0);
    BCryptEncrypt(k, (PUCHAR)plain.data(), (ULONG)plain.size(), nullptr, iv.data(), 16, (PUCHAR)out.data(),
                  (ULONG)out.size(), &written, BCRYPT_BLOCK_PADDING);
    BCryptDestroyKey(k);
    BCryptCloseAlgorithmProvider(alg, 0);
    out.resize(written);
    return out;
}

TEST(DecryptAes128Cbc, EachPartWithItsOwnIvAndPaddingChecked) {
    const std::string key = "0123456789abcdef";
    const std::array<uint8_t, 16> iv1{1}, iv2{2};
    const std::string a = PatternBytes(1000, 1), b = PatternBytes(4096, 2);
    std::string ca = Encrypt(key, iv1, a), cb = Encrypt(key, iv2, b);
    ASSERT_EQ(ca.size(), 1008u);
    ASSERT_EQ(cb.size(), 4112u) << "a whole block of padding after 4096 bytes";
    // One after the other, as the workers do: no CBC chain may carry over.
    ASSERT_TRUE(DecryptAes128Cbc(key, iv1, ca));
    ASSERT_TRUE(DecryptAes128Cbc(key, iv2, cb));
    EXPECT_EQ(ca, a);
    EXPECT_EQ(cb, b);

    std::string garbage = Encrypt(key, iv1, a);
    EXPECT_FALSE(DecryptAes128Cbc("fedcba9876543210", iv1, garbage)) << "a wrong key leaves garbage padding";
    std::string empty, odd(17, 'x'), ok16(16, 'x');
    EXPECT_FALSE(DecryptAes128Cbc(key, iv1, empty));
    EXPECT_FALSE(DecryptAes128Cbc(key, iv1, odd));
    EXPECT_FALSE(DecryptAes128Cbc("short", iv1, ok16));
}

TEST(JoinParts, MissingPartStopsTheJoinAndKeepsTheRest) {
    TempFolder dir;
    DownloadManager& m = Manager();
    DownloadItem item;
    item.path = dir.File(L"v.ts");
    item.partCount = 3;
    const std::wstring parts = item.path + kPartsSuffix;
    CreateDirectoryW(parts.c_str(), nullptr);
    WriteBytes(parts + L"\\000000.part", "zero");
    WriteBytes(parts + L"\\000002.part", "two");
    std::wstring error;
    EXPECT_FALSE(JoinParts(m, item, parts, item.path + L".vonu", error));
    EXPECT_EQ(error, kCannotJoin);
    EXPECT_TRUE(FileExists(parts + L"\\000000.part")) << "the parts stay for a later run";

    WriteBytes(parts + L"\\000001.part", PatternBytes(3 << 20));  // more than one buffer
    EXPECT_TRUE(JoinParts(m, item, parts, item.path + L".vonu", error));
    EXPECT_EQ(ReadBytes(item.path + L".vonu"), "zero" + PatternBytes(3 << 20) + "two");
    EXPECT_FALSE(FileExists(parts)) << "the folder goes once joined";
    EXPECT_EQ(item.path, dir.File(L"v.ts")) << "a .ts target is never remuxed";
}

class VideoTransfer : public HttpServersTest {
protected:
    ScopedRetryPolicies quickRetries{QuickRetries()};
    void SetUp() override {
        HttpServersTest::SetUp();
        SetTransferWorker(RunTransfer);
        SetRequestCloser(CloseOpenRequestsLocked);
        DownloadManager& m = Manager();
        m.BaseDir = dir.path();
        m.MaxConn = 8;
        m.ScanOn = false;
        m.MaxPerServer = 0;
        savedPath.resize(32767);
        savedPath.resize(GetEnvironmentVariableW(L"PATH", savedPath.data(), 32767));
        UseFfmpeg(false);
    }
    void TearDown() override {
        (void)StopEverything(Manager(), dir.path());
        SetTransferWorker(nullptr);
        SetRequestCloser(nullptr);
        SetEnvironmentVariableW(L"PATH", savedPath.c_str());
        SetEnvironmentVariableW(L"VONU_FFMPEG_LOG", nullptr);
        HttpServersTest::TearDown();
    }
    std::wstring AdapterFolder() { return ProgramFolder() + L"\\..\\ffmpeg"; }
    void UseFfmpeg(bool on) {
        SetEnvironmentVariableW(L"PATH", on ? (AdapterFolder() + L";C:\\windows\\system32").c_str() : L"C:\\windows\\system32");
    }
    std::wstring Serve(const std::wstring& name, const std::string& body) {
        CreateDirectoryW((Servers().files + L"\\" + tag).c_str(), nullptr);
        WriteBytes(Servers().files + L"\\" + tag + L"\\" + name, body);
        return NginxUrl(L"/files/" + tag + L"/" + name);
    }
    std::string Served(const std::wstring& relative) { return ReadBytes(Servers().files + L"\\" + relative); }

    std::shared_ptr<DownloadItem> Add(const std::wstring& url, int32_t connections = 8) {
        const auto d = test::AddAndProbe(url, connections);
        EXPECT_FALSE(d->probing.load()) << "the probe ends";
        return d;
    }
    bool Run(const std::shared_ptr<DownloadItem>& d, const std::function<bool()>& until = nullptr,
             DWORD ms = 120000) {
        return test::RunUntilEnded(d, until, ms);
    }
    // Starts the download, waits for the end of the run and expects Complete.
    std::wstring Download(const std::shared_ptr<DownloadItem>& d) {
        StartDownload(Manager(), d->id);
        EXPECT_TRUE(Run(d));
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Complete) << WideToUtf8(d->lastError);
        EXPECT_FALSE(FileExists(d->path + L".vonu"));
        EXPECT_FALSE(FileExists(d->path + kPartsSuffix)) << "the parts folder goes after the join";
        return d->path;
    }
    int PartsDone(const std::shared_ptr<DownloadItem>& d) {
        return static_cast<int>(std::count(d->partDone.begin(), d->partDone.end(), 1));
    }
    // Runs ffmpeg (or ffprobe) through the adapter; its output, or "exit N" when it failed.
    std::string Ffmpeg(const std::wstring& args, bool probe = false) {
        std::wstring exe = AdapterFolder() + L"\\ffmpeg.exe";
        if (probe) {
            const std::wstring copy = dir.File(L"ffprobe.exe");
            CopyFileW(exe.c_str(), copy.c_str(), FALSE);
            exe = copy;
        }
        const std::wstring log = dir.File(L"ffmpeg.log");
        DeleteFileW(log.c_str());
        SetEnvironmentVariableW(L"VONU_FFMPEG_LOG", log.c_str());
        const int64_t code = RunHidden(L"\"" + exe + L"\" " + args, 300000);
        SetEnvironmentVariableW(L"VONU_FFMPEG_LOG", nullptr);
        return code == 0 ? ReadBytes(log) : "exit " + std::to_string(code) + ": " + ReadBytes(log);
    }
    // The decoded frames of a file: stream, size and MD5 of every frame (no timestamps:
    // MP4 and MPEG-TS start their clocks differently).
    std::vector<std::string> Frames(const std::wstring& input) {
        const std::wstring out = dir.File(L"frames.txt");
        const std::string result = Ffmpeg(L"-y -v error -i \"" + input + L"\" -map 0 -f framemd5 \"" + out + L"\"");
        EXPECT_EQ(result.rfind("exit", 0), std::string::npos) << result;
        std::istringstream lines(ReadBytes(out));
        std::vector<std::string> frames;
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string x; std::getline(fields, x, ',');) f.push_back(x.substr(x.find_first_not_of(' ')));
            if (f.size() == 6) frames.push_back(f[0] + "," + f[4] + "," + f[5]);
        }
        return frames;
    }

    TempFolder dir;
    std::wstring savedPath;
};

TEST_F(VideoTransfer, RemuxedMp4DecodesLikeFfmpegsOwnCopy) {
    UseFfmpeg(true);
    for (const wchar_t* stream : {L"clear", L"aes"}) {
        SCOPED_TRACE(WideToUtf8(stream));
        const std::wstring url = NginxUrl(std::wstring(L"/files/hls/") + stream + L"/index.m3u8");
        auto d = Add(url);
        const std::wstring path = Download(d);
        EXPECT_EQ(path.substr(path.rfind(L'\\') + 1), L"video.mp4");
        const std::string head = ReadBytes(path).substr(4, 4);
        EXPECT_EQ(head, "ftyp") << "an MP4 file, not MPEG-TS";
        const std::string duration =
            Ffmpeg(L"-v error -show_entries format=duration -of default=nw=1:nk=1 \"" + path + L"\"", true);
        EXPECT_NEAR(std::atof(duration.c_str()), 4.0, 0.25) << duration;

        const std::wstring reference = dir.File(std::wstring(stream) + L"-reference.mp4");
        const std::string made = Ffmpeg(L"-y -loglevel error -i " + url + L" -c copy \"" + reference + L"\"");
        ASSERT_EQ(made.rfind("exit", 0), std::string::npos) << made;
        const auto ours = Frames(path), theirs = Frames(reference);
        EXPECT_GT(ours.size(), 40u) << "4 s of 10 frames per second and the audio";
        EXPECT_EQ(ours, theirs) << "the same decoded video and audio as ffmpeg's own download";
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->size, static_cast<int64_t>(ReadBytes(path).size()));
        std::erase(Manager().downloads, d);
        DeleteFileW(path.c_str());  // the next stream gets the same name
    }
}

TEST_F(VideoTransfer, WithoutFfmpegTheJoinedStreamIsTs) {
    // Parts encrypted by hand with the sequence numbers 100-103 as IVs: decrypted, they are
    // exactly the clear stream's parts.
    auto d = Add(NginxUrl(L"/files/hls/seqiv/index.m3u8"));
    const std::wstring path = Download(d);
    EXPECT_EQ(path, dir.path() + L"\\Video\\video.ts");
    std::string clear;
    for (int i = 0; i < 4; ++i) clear += Served(L"hls\\clear\\seg" + std::to_wstring(i) + L".ts");
    EXPECT_TRUE(ReadBytes(path) == clear) << "decrypted parts joined in order";
}

TEST_F(VideoTransfer, MapComesFirstAndIsNeverRemuxed) {
    UseFfmpeg(true);
    auto d = Add(NginxUrl(L"/files/hls/fmp4/index.m3u8"));
    const std::wstring path = Download(d);
    EXPECT_EQ(path, dir.path() + L"\\Video\\video.mp4");
    std::string expected = Served(L"hls\\fmp4\\init.mp4");
    for (int i = 0; i < 4; ++i) expected += Served(L"hls\\fmp4\\seg" + std::to_wstring(i) + L".m4s");
    EXPECT_TRUE(ReadBytes(path) == expected) << "map.part, then the parts, byte for byte";
}

TEST_F(VideoTransfer, StopAndResumeFetchesOnlyTheRestAndADeletedPartAgain) {
    UseFfmpeg(true);  // pattern bytes are no MPEG-TS: ffmpeg fails and the result is ".ts"
    for (bool restartProgram : {false, true}) {
        SCOPED_TRACE(restartProgram ? "after a restart of the program" : "in the same program");
        tag = UniqueTag();
        const int kParts = 8, kSize = 30000;
        std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
        std::string expected;
        for (int i = 0; i < kParts; ++i) {
            playlist += "#EXTINF:1,\n" +
                        WideToUtf8(FaultUrl(L"/seg?size=30000&rate=60000&seed=" + std::to_wstring(i) + L"&p=" +
                                            std::to_wstring(i) + L"x&tag=" + tag)) +
                        "\n";
            expected += PatternBytes(kSize, i);
        }
        playlist += "#EXT-X-ENDLIST\n";
        auto d = Add(Serve(L"index.m3u8", playlist), 1);  // one worker: parts in order
        std::wstring parts;
        {
            std::lock_guard guard(Manager().lock);
            ASSERT_EQ(d->fileName, L"video.mp4");
            parts = d->path + kPartsSuffix;
        }
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d, [&] { return PartsDone(d) >= 3; }));
        StopDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        int done = 0;
        {
            std::lock_guard guard(Manager().lock);
            EXPECT_EQ(d->state, DownloadState::Stopped);
            EXPECT_EQ(d->lastError, L"");
            done = PartsDone(d);
        }
        ASSERT_GE(done, 3);
        ASSERT_LT(done, kParts);
        for (int i = 0; i < kParts; ++i) EXPECT_EQ(FileExists(parts + L"\\" + PartFileName(i)), i < done) << i;
        ASSERT_TRUE(DeleteFileW((parts + L"\\" + PartFileName(1)).c_str()));

        const int32_t id = d->id;
        if (restartProgram) {
            ASSERT_TRUE(SaveList(Manager(), dir.path(), true).ok);
            {
                std::lock_guard guard(Manager().lock);
                if (d->worker.joinable()) d->worker.join();
                Manager().downloads.clear();
            }
            d.reset();
            ASSERT_TRUE(LoadList(Manager(), dir.path()).ok);
            std::lock_guard guard(Manager().lock);
            d = Manager().FindLocked(id);
            ASSERT_TRUE(d);
            EXPECT_TRUE(d->parts.empty()) << "the playlist is read again at the next run";
        }
        StartDownload(Manager(), id);
        ASSERT_TRUE(Run(d));
        {
            std::lock_guard guard(Manager().lock);
            EXPECT_EQ(d->bytesAtStart, static_cast<int64_t>(done - 1) * kSize) << "the part files still there";
            EXPECT_EQ(d->state, DownloadState::Complete) << WideToUtf8(d->lastError);
            EXPECT_EQ(d->fileName, L"video.ts") << "ffmpeg refused the stream: it stays MPEG-TS";
            EXPECT_EQ(d->path, dir.path() + L"\\Video\\video.ts");
            EXPECT_TRUE(ReadBytes(d->path) == expected);
            EXPECT_FALSE(FileExists(d->path.substr(0, d->path.size() - 3) + L".mp4.vonu.mp4"));
            EXPECT_FALSE(FileExists(parts));
            DeleteFileW(d->path.c_str());  // the next round gets the same name
        }
        const auto requests = RequestsWithTag(tag);
        for (int i = 0; i < kParts; ++i) {
            const std::string marker = "p=" + std::to_string(i) + "x";
            const auto n = std::count_if(requests.begin(), requests.end(),
                                         [&](const ReceivedRequest& r) { return r.target.find(marker) != std::string::npos; });
            const int expectedRequests = i == 1 ? 2 : (i < done ? 1 : (i == done ? 2 : 1));
            // The part in flight at the stop may have been asked for once or twice.
            if (i == done)
                EXPECT_TRUE(n == 1 || n == 2) << i;
            else
                EXPECT_EQ(n, expectedRequests) << "part " << i;
        }
        std::lock_guard guard(Manager().lock);
        std::erase(Manager().downloads, d);
    }
}

TEST_F(VideoTransfer, PartWorkersFollowTheConnectionsUpToEight) {
    for (int connections : {16, 3, 1}) {
        SCOPED_TRACE(connections);
        tag = UniqueTag();
        std::string playlist = "#EXTM3U\n";
        for (int i = 0; i < 16; ++i)
            playlist += WideToUtf8(FaultUrl(L"/seg?size=20000&rate=40000&seed=" + std::to_wstring(i) + L"&tag=" + tag)) + "\n";
        playlist += "#EXT-X-ENDLIST\n";
        auto d = Add(Serve(L"p" + std::to_wstring(connections) + L".m3u8", playlist), connections);
        Download(d);
        EXPECT_EQ(FaultStats(tag).maxActive, std::min(connections, 8));
        EXPECT_EQ(FaultStats(tag).requests, 16);
        std::lock_guard guard(Manager().lock);
        std::erase(Manager().downloads, d);
    }
}

TEST_F(VideoTransfer, BadPartsEndWithASentenceAndWriteOnlyIntoThePartsFolder) {
    const std::string aesKeyLine = "#EXT-X-KEY:METHOD=AES-128,URI=\"";
    const std::wstring aes = NginxUrl(L"/files/hls/aes/");
    struct Case {
        const wchar_t* name;
        std::string playlist;
        std::wstring error;  // empty: any sentence
    } cases[] = {
        {L"key-length.m3u8",
         "#EXTM3U\n" + aesKeyLine + WideToUtf8(NginxUrl(L"/files/small.bin")) + "\"\n" + WideToUtf8(aes) +
             "seg0.ts\n#EXT-X-ENDLIST\n",
         kNoVideoKey},
        {L"key-missing.m3u8",
         "#EXTM3U\n" + aesKeyLine + "nokey.bin\"\n" + WideToUtf8(aes) + "seg0.ts\n#EXT-X-ENDLIST\n", kNoVideoKey},
        {L"wrong-key.m3u8",
         "#EXTM3U\n" + aesKeyLine + WideToUtf8(NginxUrl(L"/files/hls/seqiv/key.bin")) +
             "\",IV=0x000102030405060708090a0b0c0d0e0f\n" + WideToUtf8(aes) + "seg0.ts\n" + WideToUtf8(aes) +
             "seg1.ts\n#EXT-X-ENDLIST\n",
         kCannotDecrypt},
        {L"missing-part.m3u8",
         "#EXTM3U\n../hls/clear/seg0.ts\n../hls/clear/none.ts\n#EXT-X-ENDLIST\n",
         L"HTTP 404: file not found on the server"},
        {L"long-line.m3u8", "#EXTM3U\n" + std::string(1000000, 'a') + ".ts\n#EXT-X-ENDLIST\n", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        auto d = Add(Serve(c.name, c.playlist));
        StartDownload(Manager(), d->id);
        ASSERT_TRUE(Run(d));
        std::lock_guard guard(Manager().lock);
        EXPECT_EQ(d->state, DownloadState::Error);
        if (c.error.empty())
            EXPECT_FALSE(d->lastError.empty());
        else
            EXPECT_EQ(d->lastError, c.error);
        std::erase(Manager().downloads, d);
    }
    // Every run left only its parts folder in the video folder, nothing beside or above it.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir.path() + L"\\Video\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        EXPECT_TRUE(name.size() > 11 && name.substr(name.size() - 11) == kPartsSuffix) << WideToUtf8(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_TRUE(FileExists(dir.path() + L"\\Video\\missing-part.ts.vonu.parts\\000000.part"))
        << "the part that arrived waits in the folder of the run that missed the other";
}

TEST_F(VideoTransfer, DotSegmentsStayOnTheServer) {
    auto d = Add(Serve(L"dots.m3u8",
                       "#EXTM3U\n../../../../files/hls/clear/seg0.ts\n../hls/./clear/../clear/seg1.ts\n#EXT-X-ENDLIST\n"));
    const std::wstring path = Download(d);
    EXPECT_TRUE(ReadBytes(path) == Served(L"hls\\clear\\seg0.ts") + Served(L"hls\\clear\\seg1.ts"));
}

}  // namespace
}  // namespace vonu
