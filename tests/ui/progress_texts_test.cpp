#include "ui/progress_texts.h"

#include <gtest/gtest.h>

#include "model/download_types.h"
#include "tests/support/language_scope.h"

namespace vonu {
namespace {

// 10 MiB in two halves, 4 MiB of the first fetched and the second finished by hand below.
DownloadSnapshot Download(DownloadState state) {
    DownloadSnapshot d;
    d.url = L"http://127.0.0.1/files/big.bin";
    d.fileName = L"big.bin";
    d.path = L"C:\\Downloads\\big.bin";
    d.size = 10 * 1048576;
    d.state = state;
    d.probed = true;
    d.resumable = true;
    d.segments = {{0, 5 * 1048576 - 1, 4 * 1048576}, {5 * 1048576, 10 * 1048576 - 1, 5 * 1048576}};
    d.downloaded = 4 * 1048576;
    return d;
}

TEST(ProgressTexts, StatusLineByState) {
    struct Case {
        const char* name;
        DownloadState state;
        void (*change)(DownloadSnapshot&);
        const wchar_t* status;
    };
    const Case cases[] = {
        {"queued", DownloadState::Queued, [](DownloadSnapshot&) {}, L"Waiting in queue"},
        {"no connection yet", DownloadState::Downloading, [](DownloadSnapshot&) {}, L"Connecting..."},
        {"a connection works", DownloadState::Downloading, [](DownloadSnapshot& d) { d.busySegments = {1}; },
         L"Downloading..."},
        {"probe runs", DownloadState::Downloading,
         [](DownloadSnapshot& d) {
             d.probing = true;
             d.busySegments = {0};
         },
         L"Getting file information..."},
        {"video", DownloadState::Downloading,
         [](DownloadSnapshot& d) {
             d.video = true;
             d.busySegments = {0};
         },
         L"Receiving video parts..."},
        {"scanning beats everything", DownloadState::Downloading,
         [](DownloadSnapshot& d) {
             d.scanning = true;
             d.probing = true;
             d.video = true;
         },
         L"Checking the file with the antivirus..."},
        {"stopped", DownloadState::Stopped, [](DownloadSnapshot&) {}, L"Paused"},
        {"complete", DownloadState::Complete, [](DownloadSnapshot&) {}, L"Complete"},
        {"error", DownloadState::Error,
         [](DownloadSnapshot& d) { d.lastError = L"HTTP 404: file not found on the server"; },
         L"Error: HTTP 404: file not found on the server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadSnapshot d = Download(c.state);
        c.change(d);
        EXPECT_EQ(MakeProgressTexts(d).status, c.status);
    }
}

TEST(ProgressTexts, FiguresOfAPartlyDownloadedFile) {
    DownloadSnapshot d = Download(DownloadState::Downloading);
    d.busySegments = {0};
    d.speed = 1048576;
    const ProgressTexts t = MakeProgressTexts(d);
    EXPECT_EQ(t.title, L"40% big.bin");
    EXPECT_EQ(t.address, d.url);
    EXPECT_EQ(t.path, d.path);
    EXPECT_EQ(t.size, L"10.00 MB");
    EXPECT_EQ(t.downloaded, L"4.00 MB  (40.00 %)");
    EXPECT_EQ(t.speed, L"1.00 MB/sec");
    EXPECT_EQ(t.remaining, L"6 sec");
    EXPECT_EQ(t.canResume, L"Yes");
    EXPECT_EQ(t.pauseButton, L"Pause");
    EXPECT_TRUE(t.pauseEnabled);

    // Stopped: no speed, no time left, and the button resumes.
    d.state = DownloadState::Stopped;
    const ProgressTexts stopped = MakeProgressTexts(d);
    EXPECT_EQ(stopped.speed, L"");
    EXPECT_EQ(stopped.remaining, L"");
    EXPECT_EQ(stopped.pauseButton, L"Resume");
}

TEST(ProgressTexts, PauseButtonAndResumeLineByState) {
    struct Case {
        DownloadState state;
        const wchar_t* button;
        bool enabled;
    };
    const Case cases[] = {{DownloadState::Queued, L"Pause", true},
                          {DownloadState::Downloading, L"Pause", true},
                          {DownloadState::Stopped, L"Resume", true},
                          {DownloadState::Error, L"Resume", true},
                          {DownloadState::Complete, L"Resume", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        const ProgressTexts t = MakeProgressTexts(Download(c.state));
        EXPECT_EQ(t.pauseButton, c.button);
        EXPECT_EQ(t.pauseEnabled, c.enabled);
    }
    DownloadSnapshot d = Download(DownloadState::Downloading);
    d.resumable = false;
    EXPECT_EQ(MakeProgressTexts(d).canResume, L"No");
    d.probed = false;
    EXPECT_EQ(MakeProgressTexts(d).canResume, L"Checking");
}

TEST(ProgressTexts, UnknownSizeVideoAndCompleteVideo) {
    DownloadSnapshot d = Download(DownloadState::Downloading);
    d.size = -1;
    d.segments = {{0, -1, 3000}};
    d.downloaded = 3000;
    ProgressTexts t = MakeProgressTexts(d);
    EXPECT_EQ(t.size, L"Unknown");
    EXPECT_EQ(t.downloaded, L"2.93 KB  (0.00 %)");
    EXPECT_EQ(t.title, L"0% big.bin");

    DownloadSnapshot v = Download(DownloadState::Downloading);
    v.video = true;
    v.size = -1;
    v.segments.clear();
    v.partCount = 120;
    v.partsDone = 30;
    v.downloaded = 3 * 1048576;
    t = MakeProgressTexts(v);
    EXPECT_EQ(t.size, L"Video stream, 120 parts");
    EXPECT_EQ(t.downloaded, L"3.00 MB  (30 of 120 parts)");
    EXPECT_EQ(t.title, L"25% big.bin");

    v.state = DownloadState::Complete;
    v.size = 3 * 1048576;
    t = MakeProgressTexts(v);
    EXPECT_EQ(t.size, L"3.00 MB");
    EXPECT_EQ(t.title, L"100% big.bin");
}

TEST(ProgressTexts, ArabicStatusAndButton) {
    test::LanguageScope arabic(true);
    DownloadSnapshot d = Download(DownloadState::Stopped);
    const ProgressTexts t = MakeProgressTexts(d);
    EXPECT_EQ(t.status, L"متوقف مؤقتًا");
    EXPECT_EQ(t.pauseButton, L"استئناف");
    d.state = DownloadState::Error;
    d.lastError = L"HTTP 404: file not found on the server";
    EXPECT_EQ(MakeProgressTexts(d).status.rfind(L"خطأ: ", 0), 0u) << "the Arabic word leads";
}

TEST(ConnectionRows, InfoRule) {
    // Segment 0 runs, 1 is finished, 2 is neither: its text follows the download's state.
    DownloadSnapshot d = Download(DownloadState::Downloading);
    d.segments = {{0, 999, 500}, {1000, 1999, 2000}, {2000, 2999, 2100}};
    d.size = 3000;
    d.busySegments = {0};
    struct Case {
        DownloadState state;
        std::vector<int32_t> busy;
        std::vector<std::wstring> info;
    };
    const Case cases[] = {
        {DownloadState::Downloading, {0}, {L"Downloading...", L"Done", L"Waiting"}},
        {DownloadState::Downloading, {2}, {L"Waiting", L"Done", L"Downloading..."}},
        {DownloadState::Stopped, {}, {L"Stopped", L"Done", L"Stopped"}},
        {DownloadState::Error, {}, {L"Stopped", L"Done", L"Stopped"}},
        {DownloadState::Queued, {}, {L"Stopped", L"Done", L"Stopped"}},
        {DownloadState::Complete, {}, {L"Done", L"Done", L"Done"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        d.state = c.state;
        d.busySegments = c.busy;
        const std::vector<ConnectionRow> rows = MakeConnectionRows(d);
        ASSERT_EQ(rows.size(), 3u);
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].info, c.info[i]) << "row " << i;
    }
    const std::vector<ConnectionRow> rows = MakeConnectionRows(d);
    EXPECT_EQ(rows[0].number, L"1");
    EXPECT_EQ(rows[2].number, L"3");
    EXPECT_EQ(rows[0].downloaded, L"500 Bytes");
    EXPECT_EQ(rows[1].downloaded, L"1000 Bytes");

    // An open-ended segment (unknown size) is never "Done" before the download is Complete.
    DownloadSnapshot open = Download(DownloadState::Stopped);
    open.size = -1;
    open.segments = {{0, -1, 7000}};
    EXPECT_EQ(MakeConnectionRows(open)[0].info, L"Stopped");
}

}  // namespace
}  // namespace vonu
