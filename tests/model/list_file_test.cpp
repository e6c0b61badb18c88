#include "model/list_file.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "model/data_folder.h"
#include "model/download_lookup.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;
using test::Utf16FileText;
using test::WriteUtf16File;

std::unique_ptr<DownloadManager> LoadText(const TempFolder& dir, const std::wstring& text) {
    WriteUtf16File(ListPath(dir.path()), text);
    auto m = std::make_unique<DownloadManager>();
    LoadListResult r = LoadList(*m, dir.path());
    EXPECT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
    return m;
}

std::shared_ptr<DownloadItem> FullItem() {
    auto d = std::make_shared<DownloadItem>();
    d->id = 7;
    d->url = L"https://dl.example.com/files/كتاب.pdf?a=1&b=2";
    d->referrer = L"https://example.com/page";
    d->userAgent = L"Mozilla/5.0 (X11) Test/1.0";
    d->fileName = L"كتاب.pdf";
    d->path = L"C:\\Users\\me\\Downloads\\Documents\\كتاب.pdf";
    d->category = L"Documents";
    d->description = L"first line\r\nsecond line\nthird";
    d->lastError = L"HTTP 503: the server is busy";
    d->size = 5'000'000'000LL;
    d->resumable = true;
    d->probed = true;
    d->userPath = true;
    d->endReached = true;
    d->state = DownloadState::Error;
    d->added = 134'000'000'000'000'000LL;
    d->lastStart = 134'000'000'123'456'789LL;
    d->connections = 16;
    d->queueId = 2;
    d->video = true;
    d->partCount = 321;
    d->segments = {{0, 1048575, 524288}, {1048576, 2097151, 2097152}, {2097152, -1, 3000000}};
    d->cookie = L"session=never-stored";
    return d;
}

TEST(ListFile, RoundTripOfEveryField) {
    TempFolder dir;
    DownloadManager m;
    m.downloads.push_back(FullItem());
    auto running = std::make_shared<DownloadItem>();
    running->id = 9;
    running->url = L"http://127.0.0.1/big.iso";
    running->state = DownloadState::Downloading;
    running->segments = {{0, 99, 50}};
    m.downloads.push_back(running);
    DownloadQueue q1{1, L"Default queue", 3};
    DownloadQueue q2{2, L"Night\r\nqueue", 7, true, true, 22 * 60 + 30, 0b0100010, true, 6 * 60, 2};
    m.queues = {q1, q2};
    m.listDirty = true;
    ASSERT_TRUE(SaveList(m, dir.path(), false).ok);
    EXPECT_FALSE(m.listDirty);

    DownloadManager back;
    back.MaxActive = 4;
    ASSERT_TRUE(LoadList(back, dir.path()).ok);
    ASSERT_EQ(back.downloads.size(), 2u);
    const DownloadItem& a = *back.downloads[0];
    const auto want = FullItem();
    EXPECT_EQ(a.id, 7);
    EXPECT_EQ(a.url, want->url);
    EXPECT_EQ(a.referrer, want->referrer);
    EXPECT_EQ(a.userAgent, want->userAgent);
    EXPECT_EQ(a.fileName, want->fileName);
    EXPECT_EQ(a.path, want->path);
    EXPECT_EQ(a.category, want->category);
    EXPECT_EQ(a.description, L"first line  second line third") << "line breaks are stored as spaces";
    EXPECT_EQ(a.lastError, want->lastError);
    EXPECT_EQ(a.size, want->size);
    EXPECT_TRUE(a.resumable && a.probed && a.userPath && a.endReached && a.video);
    EXPECT_EQ(a.state, want->state);
    EXPECT_EQ(a.added, want->added);
    EXPECT_EQ(a.lastStart, want->lastStart);
    EXPECT_EQ(a.connections, 16);
    EXPECT_EQ(a.queueId, 2);
    EXPECT_EQ(a.partCount, 321);
    EXPECT_EQ(a.segments, want->segments);
    EXPECT_EQ(a.bytesAtStart, a.DownloadedBytes());
    EXPECT_TRUE(a.cookie.empty()) << "cookies are never stored";

    const DownloadItem& b = *back.downloads[1];
    EXPECT_EQ(b.state, DownloadState::Stopped) << "saved while running, loads as Stopped";
    EXPECT_EQ(b.segments, (std::vector<Segment>{{0, 99, 50}}));
    EXPECT_EQ(b.size, -1);
    EXPECT_EQ(b.bytesAtStart, 50);

    ASSERT_EQ(back.queues.size(), 2u);
    EXPECT_EQ(back.queues[0].name, L"Default queue");
    EXPECT_EQ(back.queues[0].maxActive, 3) << "a stored Q1 overrides the default queue";
    const DownloadQueue& n = back.queues[1];
    EXPECT_EQ(n.name, L"Night  queue");
    EXPECT_EQ(n.maxActive, 7);
    EXPECT_FALSE(n.running) << "running is not stored";
    EXPECT_TRUE(n.startOn);
    EXPECT_EQ(n.startMinute, 22 * 60 + 30);
    EXPECT_EQ(n.days, 0b0100010u);
    EXPECT_TRUE(n.stopOn);
    EXPECT_EQ(n.stopMinute, 360);
    EXPECT_EQ(n.after, 2);
    EXPECT_EQ(back.nextDownloadId, 10);
    EXPECT_EQ(back.nextQueueId, 3);
}

TEST(ListFile, WrittenForm) {
    TempFolder dir;
    DownloadManager m;
    ASSERT_TRUE(LoadList(m, dir.path()).ok) << "no list.ini: just the default queue";
    ASSERT_EQ(m.queues.size(), 1u);
    ASSERT_TRUE(SaveList(m, dir.path(), true).ok);
    EXPECT_EQ(Utf16FileText(ListPath(dir.path())),
              L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\nStartOn=0\r\nStartMin=0\r\nDays=0\r\n"
              L"StopOn=0\r\nStopMin=0\r\nAfter=0\r\n\r\n");

    auto d = std::make_shared<DownloadItem>();
    d->id = 12;
    d->url = L"http://x/y";
    d->segments = {{0, 1048575, 524288}, {1048576, 2097151, 2097152}};
    m.downloads.push_back(d);
    auto e = std::make_shared<DownloadItem>();
    e->id = 13;
    e->url = L"http://x/z";
    m.downloads.push_back(e);
    ASSERT_TRUE(SaveList(m, dir.path(), true).ok);
    std::wstring text = Utf16FileText(ListPath(dir.path()));
    EXPECT_EQ(text.rfind(L"[D12]\r\nUrl=http://x/y\r\nReferer=\r\nUA=\r\nFile=\r\nPath=\r\nCat=\r\nDesc=\r\n"
                         L"Err=\r\nSize=-1\r\nRes=0\r\nProbed=0\r\nUserPath=0\r\nEof=0\r\nState=2\r\n"
                         L"Added=0\r\nLast=0\r\nConn=8\r\nQueue=0\r\nHls=0\r\nParts=0\r\n"
                         L"Segs=0,1048575,524288;1048576,2097151,2097152;\r\n\r\n[D13]\r\n",
                         0),
              0u);
    EXPECT_NE(text.find(L"Parts=0\r\nSegs=\r\n\r\n[Q1]\r\n"), std::wstring::npos);
}

TEST(ListFile, SavesOnlyWhenChangedUnlessForced) {
    TempFolder dir;
    const std::wstring path = ListPath(dir.path());
    DownloadManager m;
    m.queues.push_back({1, L"Default queue", 3});
    m.listDirty = true;
    ASSERT_TRUE(SaveList(m, dir.path(), false).ok);
    ASSERT_TRUE(test::FileExists(path));
    test::WriteBytes(path, "marker");  // any later write replaces this
    ASSERT_TRUE(SaveList(m, dir.path(), false).ok);
    EXPECT_EQ(test::ReadBytes(path), "marker") << "nothing changed: nothing written";
    ASSERT_TRUE(SaveList(m, dir.path(), true).ok);
    EXPECT_NE(test::ReadBytes(path), "marker") << "a forced save writes";
    test::WriteBytes(path, "marker");
    {
        std::lock_guard guard(m.lock);
        m.listDirty = true;
    }
    ASSERT_TRUE(SaveList(m, dir.path(), false).ok);
    EXPECT_NE(test::ReadBytes(path), "marker");
}

// The fixture's list-save\list.ini.tmp is a link to /dev/full (tests/CMakeLists.txt).
TEST(ListFile, FailedSaveKeepsTheOldListAndRetriesLater) {
    const char* dirEnv = std::getenv("VONU_FULL_DISK_DIR");
    ASSERT_NE(dirEnv, nullptr) << "the test set-up names a folder whose list.ini.tmp is /dev/full";
    const std::wstring dir = std::wstring(dirEnv, dirEnv + strlen(dirEnv)) + L"\\list-save";
    const std::wstring good = L"[D1]\r\nUrl=http://example.com/kept.zip\r\n\r\n[Q1]\r\nName=Default queue\r\n\r\n";
    WriteUtf16File(ListPath(dir), good);

    DownloadManager m;
    ASSERT_TRUE(LoadList(m, dir).ok);
    ASSERT_EQ(m.downloads.size(), 1u);
    for (int i = 0; i < 2000; ++i) {  // far more than any buffer the disk would take first
        auto d = std::make_shared<DownloadItem>();
        d->id = 100 + i;
        d->url = L"http://example.com/new/" + std::to_wstring(i);
        m.downloads.push_back(d);
    }
    m.listDirty = true;
    WriteResult r = SaveList(m, dir, false);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(Utf16FileText(ListPath(dir)), good) << "the old list is intact";
    EXPECT_TRUE(m.listDirty) << "the next save tries again";

    DownloadManager again;
    ASSERT_TRUE(LoadList(again, dir).ok);
    ASSERT_EQ(again.downloads.size(), 1u);
    EXPECT_EQ(again.downloads[0]->url, L"http://example.com/kept.zip");
}

TEST(ListFile, LoadRules) {
    TempFolder dir;
    auto m = LoadText(dir,
                      L"[Q5]\r\nName=Later\r\nMaxActive=50\r\nStartOn=yes\r\nStopOn=1\r\nAfter=9\r\n\r\n"
                      L"[D3]\r\nUrl=http://a/1\r\nQueue=5\r\nState=0\r\nSegs=0,99,50;garbage;100,199,100;\r\n\r\n"
                      L"[D4]\r\nUrl=http://a/2\r\nState=0\r\nConn=99\r\n\r\n"
                      L"[D5]\r\nUrl=http://a/3\r\nState=9\r\nConn=0\r\nQueue=8\r\n\r\n"
                      L"[D6]\r\nUrl=http://a/4\r\nState=-2\r\nSize=abc\r\nConn=x\r\n\r\n"
                      L"[Q1]\r\nName=Main download queue\r\nMaxActive=0\r\n\r\n");
    ASSERT_EQ(m->downloads.size(), 4u);
    const DownloadItem& d3 = *m->downloads[0];
    EXPECT_EQ(d3.queueId, 5) << "a download may name a queue whose section comes first or later";
    EXPECT_EQ(d3.segments, (std::vector<Segment>{{0, 99, 50}, {100, 199, 100}}));
    EXPECT_EQ(d3.bytesAtStart, 50);
    EXPECT_EQ(m->downloads[1]->queueId, 1) << "Queued without a queue waits in queue 1";
    EXPECT_EQ(m->downloads[1]->connections, 32);
    EXPECT_EQ(m->downloads[2]->state, DownloadState::Error);
    EXPECT_EQ(m->downloads[2]->connections, 1);
    EXPECT_EQ(m->downloads[2]->queueId, 1) << "queue 8 does not exist";
    EXPECT_EQ(m->downloads[3]->state, DownloadState::Queued);
    EXPECT_EQ(m->downloads[3]->queueId, 1);
    EXPECT_EQ(m->downloads[3]->size, -1) << "a size that is no number stays unknown";
    EXPECT_EQ(m->downloads[3]->connections, 8);
    EXPECT_EQ(m->nextDownloadId, 7);
    EXPECT_EQ(m->nextQueueId, 6);
    ASSERT_EQ(m->queues.size(), 2u);
    EXPECT_EQ(m->queues[0].id, 1);
    EXPECT_EQ(m->queues[0].name, L"Default queue");
    EXPECT_EQ(m->queues[0].maxActive, 1);
    EXPECT_EQ(m->queues[1].id, 5);
    EXPECT_EQ(m->queues[1].maxActive, 10);
    EXPECT_FALSE(m->queues[1].startOn) << "only \"1\" is true";
    EXPECT_TRUE(m->queues[1].stopOn);
    EXPECT_EQ(m->queues[1].after, 0) << "an unknown end action is none";
}

TEST(ListFile, BadInputLoadsWhatIsValid) {
    TempFolder dir;
    const std::wstring longDesc(200000, L'd');
    const std::wstring tooLong(300000, L'u');
    auto m = LoadText(
        dir,
        L"Url=http://before/any/section\r\n"
        L"[Dabc]\r\nUrl=http://bad/1\r\n[D]\r\nUrl=http://bad/2\r\n[D0]\r\nUrl=http://bad/3\r\n"
        L"[D-4]\r\nUrl=http://bad/4\r\n[D12x]\r\nUrl=http://bad/5\r\n[X5]\r\nUrl=http://bad/6\r\n"
        L"[D99999999999]\r\nUrl=http://bad/7\r\n[Q0]\r\nName=bad\r\n[Qx]\r\nName=bad\r\n"
        L"[D2]\r\nUrl=\r\n"
        L"[D3]\r\nUrl=http://good/3\r\nDesc=" + longDesc + L"\r\n"
        L"Segs=1,2,3abc;5,4,6;-1,10,0;0,9,11;0,-1,100;a,b,c;,,;0,99;;10,19,15;7,7,8;\r\n"
        L"[D4\r\nUrl=http://broken/header\r\n"
        L"[D3]\r\nUrl=http://duplicate/3\r\n"
        L"garbage line without equals\r\n\x01\x02\xFFFF\r\n"
        L"[D5]\r\nUrl=" + tooLong + L"\r\n"
        L"[D6]\r\nUrl=http://good/6\r\nPath=" + tooLong + L"\r\n"
        L"[D8]\r\nUrl=http://good/8\r\nSize=100\r\nSegs=0,99,5");  // cut short: no line end
    ASSERT_EQ(m->downloads.size(), 3u);
    const DownloadItem& d3 = *m->downloads[0];
    EXPECT_EQ(d3.url, L"http://good/3");
    EXPECT_EQ(d3.description, longDesc);
    EXPECT_EQ(d3.segments, (std::vector<Segment>{{0, -1, 100}, {10, 19, 15}, {7, 7, 8}}));
    EXPECT_EQ(m->downloads[1]->id, 6);
    EXPECT_TRUE(m->downloads[1]->path.empty()) << "a value past the cap is dropped, not cut";
    EXPECT_EQ(m->downloads[2]->id, 8);
    EXPECT_EQ(m->downloads[2]->segments, (std::vector<Segment>{{0, 99, 5}}));
    EXPECT_EQ(m->nextDownloadId, 9);
    EXPECT_EQ(m->queues.size(), 1u);
}

TEST(ListFile, BinaryGarbageAndCutFilesDoNotCrash) {
    TempFolder dir;
    DownloadManager full;
    for (int i = 1; i <= 20; ++i) {
        auto d = FullItem();
        d->id = i;
        full.downloads.push_back(d);
    }
    full.queues.push_back({1, L"Default queue", 3});
    ASSERT_TRUE(SaveList(full, dir.path(), true).ok);
    const std::string whole = test::ReadBytes(ListPath(dir.path()));
    const std::wstring copy = ListPath(dir.path()) + L".unreadable";
    uint32_t x = 7;
    for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, whole.size() / 3, whole.size() / 2 + 1,
                       whole.size() - 1}) {
        SCOPED_TRACE(cut);
        std::string bytes = whole.substr(0, cut);
        test::WriteBytes(ListPath(dir.path()), bytes);
        DeleteFileW(copy.c_str());
        DownloadManager m;
        // Too short for a mark and a section: kept aside; cut later (an odd byte too): what is there.
        EXPECT_EQ(LoadList(m, dir.path()).ok, cut > 3);
        EXPECT_EQ(test::FileExists(copy), cut <= 3);
        if (cut <= 3) {
            EXPECT_EQ(test::ReadBytes(copy), bytes);
        }
        EXPECT_LE(m.downloads.size(), 20u);
        EXPECT_EQ(m.queues.size(), 1u);
        for (char& c : bytes) {
            x = x * 1664525 + 1013904223;
            if ((x >> 24) < 8) c = static_cast<char>(x >> 8);
        }
        test::WriteBytes(ListPath(dir.path()), bytes);
        DeleteFileW(copy.c_str());
        DownloadManager n;
        if (!LoadList(n, dir.path()).ok) {
            EXPECT_EQ(test::ReadBytes(copy), bytes) << "an unreadable list is kept aside";
        }
        EXPECT_LE(n.downloads.size(), 20u);
    }
}

TEST(ListFile, FilesThatAreNotUtf16ListsAreKeptAsideBeforeTheNextSave) {
    // Random bytes, an editor's UTF-8 or ANSI, or UTF-16 text without one readable section:
    // none of them is a list this program wrote, and the next save would overwrite them.
    TempFolder dir;
    using namespace std::string_literals;
    std::string random(4096, '\0');
    uint32_t x = 12345;
    for (char& c : random) {
        x = x * 1664525 + 1013904223;
        c = static_cast<char>(x >> 24);
    }
    const std::string cases[] = {
        random,
        "\xEF\xBB\xBF[D2]\r\nUrl=http://a/\xD9\x83\xD8\xAA\xD8\xA7\xD8\xA8.pdf\r\n"s,
        "[D2]\nUrl=http://a/plain.zip\n"s,
        "\xFF\xFE"s + random,
        "\xFF\xFE[\0D\0x\0]\0\n\0U\0r\0l\0=\0h\0:\0/\0/\0x\0\n\0"s,
    };
    const std::wstring copy = ListPath(dir.path()) + L".unreadable";
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 40));
        test::WriteBytes(ListPath(dir.path()), bytes);
        DeleteFileW(copy.c_str());
        DownloadManager m;
        const LoadListResult r = LoadList(m, dir.path());
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(L"A copy was kept as " + copy), std::wstring::npos);
        EXPECT_TRUE(m.downloads.empty());
        EXPECT_EQ(test::ReadBytes(copy), bytes);
    }
    // UTF-16 with its mark, cut at an odd byte and without a last line end, is a list.
    test::WriteBytes(ListPath(dir.path()), "\xFF\xFE[\0D\0" "2\0]\0\n\0U\0r\0l\0=\0h\0:\0/\0/\0x\0\n"s);
    DownloadManager m;
    ASSERT_TRUE(LoadList(m, dir.path()).ok);
    ASSERT_EQ(m.downloads.size(), 1u);
    EXPECT_EQ(m.downloads[0]->url, L"h://x");
}

TEST(ListFile, SavedProgressThatDoesNotTileTheFileStartsOver) {
    struct Case {
        const wchar_t* keys;
        size_t segments;  // what is left after the load
    } const cases[] = {
        {L"Size=300\r\nSegs=0,99,100;100,199,150;200,299,200;", 3},
        {L"Size=300\r\nSegs=200,299,250;0,199,100;", 2},    // any order
        {L"Size=300\r\nSegs=0,99,100;100,199,150;200,2", 0},  // cut inside Segs
        {L"Size=300\r\nSegs=0,99,100;100,199,150;", 0},       // cut after an entry
        {L"Size=300\r\nSegs=0,99,100;100,999,150;", 0},       // a range past the size
        {L"Size=300\r\nSegs=0,199,100;100,299,150;", 0},      // overlapping
        {L"Size=300\r\nSegs=0,99,100;120,299,150;", 0},       // a gap
        {L"Size=300\r\nSegs=0,-1,50;", 0},                    // open-ended for a known size
        {L"Size=300\r\nSegs=0,299,300;\r\nState=3", 1},     // complete: its file is done
        {L"Size=300\r\nSegs=0,99,100;\r\nHls=1", 1},        // a video keeps no byte ranges here
        {L"Size=-1\r\nSegs=0,-1,50;", 1},                     // unknown size: nothing to tile
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.keys, c.keys + wcslen(c.keys)));
        TempFolder dir;
        auto m = LoadText(dir, std::wstring(L"[D1]\r\nUrl=http://a/1\r\n") + c.keys + L"\r\n");
        ASSERT_EQ(m->downloads.size(), 1u);
        EXPECT_EQ(m->downloads[0]->segments.size(), c.segments);
        EXPECT_EQ(m->downloads[0]->bytesAtStart, m->downloads[0]->DownloadedBytes());
    }
}

// tests/model/fixtures/old_list.ini was saved by the list code as it was before the
// loader and the writer shared one field table. It must load into these downloads and
// queues, and saving them again must give the file back byte for byte.
TEST(ListFile, ListSavedByTheEarlierWriterLoadsAndSavesUnchanged) {
    const std::wstring fixture = std::wstring(L"" VONU_MODEL_FIXTURES) + L"/old_list.ini";
    const std::string original = test::ReadBytes(fixture);
    ASSERT_GT(original.size(), 2u) << "fixture missing";
    TempFolder dir;
    test::WriteBytes(ListPath(dir.path()), original);
    DownloadManager m;
    m.MaxActive = 5;
    ASSERT_TRUE(LoadList(m, dir.path()).ok);

    const std::wstring book = L"\u0643\u062a\u0627\u0628.pdf";
    DownloadRecord a;
    a.id = 3;
    a.url = L"https://dl.example.com/files/" + book + L"?a=1&b=2";
    a.referrer = L"https://example.com/page";
    a.userAgent = L"Mozilla/5.0 (X11) Test/1.0";
    a.fileName = book;
    a.path = L"C:\\Users\\me\\Downloads\\Documents\\" + book;
    a.category = L"Documents";
    a.description = L"first line second line";
    a.lastError = L"HTTP 503: the server is busy";
    a.size = 3145728;
    a.resumable = true;
    a.probed = true;
    a.userPath = true;
    a.state = DownloadState::Error;
    a.added = 134000000000000000LL;
    a.lastStart = 134000000123456789LL;
    a.connections = 16;
    a.queueId = 2;
    a.segments = {{0, 1048575, 524288}, {1048576, 2097151, 2097152}, {2097152, 3145727, 2500000}};
    DownloadRecord b;
    b.id = 5;
    b.url = L"http://127.0.0.1:8080/big.iso";
    b.fileName = L"big.iso";
    b.path = L"C:\\dl\\big.iso";
    b.category = L"Compressed";
    b.state = DownloadState::Queued;
    b.connections = 1;
    b.queueId = 1;
    b.segments = {{0, -1, 777}};
    DownloadRecord c;
    c.id = 6;
    c.url = L"https://video.example.org/live/master.m3u8";
    c.fileName = L"clip.mp4";
    c.path = L"D:\\Video\\clip.mp4";
    c.category = L"Video";
    c.probed = true;
    c.endReached = true;
    c.added = 1;
    c.lastStart = -5;
    c.connections = 32;
    c.video = true;
    c.partCount = 321;
    DownloadRecord e;
    e.id = 12;
    e.url = L"ftp://user:pw@ftp.example.net/pub/file.tar.gz";
    e.fileName = L"file.tar.gz";
    e.path = L"C:\\dl\\file.tar.gz";
    e.description = L"=tricky ; [value] = with equals";
    e.size = 5000000000LL;
    e.resumable = true;
    e.probed = true;
    e.state = DownloadState::Complete;
    e.queueId = 7;
    e.segments = {{0, 4999999999LL, 5000000000LL}};
    const DownloadRecord want[] = {a, b, c, e};
    ASSERT_EQ(m.downloads.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(want[i].id);
        EXPECT_TRUE(m.downloads[i]->Record() == want[i]);
        EXPECT_EQ(m.downloads[i]->url, want[i].url);
        EXPECT_EQ(m.downloads[i]->segments, want[i].segments);
    }
    DownloadQueue q1{1, L"Default queue", 3};
    DownloadQueue q2{2, L"Night queue", 7, false, true, 22 * 60 + 30, 0b0100010, true, 6 * 60, 2};
    DownloadQueue q7{7, L"\u0644\u064a\u0644", 10, false, false, 0, 127, false, 0, 1};
    EXPECT_EQ(m.queues, (std::vector<DownloadQueue>{q1, q2, q7}));
    EXPECT_EQ(m.nextDownloadId, 13);
    EXPECT_EQ(m.nextQueueId, 8);

    ASSERT_TRUE(SaveList(m, dir.path(), true).ok);
    EXPECT_TRUE(test::ReadBytes(ListPath(dir.path())) == original) << "saved again, the file is the same";
}

TEST(ListFile, DownloadIdForAddress) {
    DownloadManager m;
    for (int i = 1; i <= 3; ++i) {
        auto d = std::make_shared<DownloadItem>();
        d->id = i * 10;
        d->url = i == 3 ? L"http://a/1" : L"http://a/" + std::to_wstring(i);
        m.downloads.push_back(d);
    }
    EXPECT_EQ(DownloadIdForAddress(m, L"http://a/1"), 10) << "the first of two";
    EXPECT_EQ(DownloadIdForAddress(m, L"http://a/2"), 20);
    EXPECT_EQ(DownloadIdForAddress(m, L"HTTP://a/2"), 0) << "exact comparison";
    EXPECT_EQ(DownloadIdForAddress(m, L""), 0);
}

}  // namespace
}  // namespace vonu
