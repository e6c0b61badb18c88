#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "l10n/display_format.h"
#include "model/text_encoding.h"
#include "tests/support/language_scope.h"

namespace vonu {
namespace {

using test::LanguageScope;

std::string Show(std::wstring_view text) { return WideToUtf8(text); }

const std::wstring RLM(1, L'\u200F');

DownloadSnapshot Download(DownloadState state, int64_t size, int64_t downloaded) {
    DownloadSnapshot d;
    d.state = state;
    d.size = size;
    d.downloaded = downloaded;
    return d;
}

DownloadSnapshot VideoDownload(DownloadState state, int32_t parts, int32_t done, int64_t downloaded) {
    DownloadSnapshot d = Download(state, -1, downloaded);
    d.video = true;
    d.partCount = parts;
    d.partsDone = done;
    return d;
}

TEST(SizeText, UnitBoundariesInBothLanguages) {
    const struct {
        int64_t bytes;
        const wchar_t* english;
        const wchar_t* arabic;  // after the right-to-left mark
    } cases[] = {
        {-1, L"", L""},
        {0, L"0 Bytes", L"0 بايت"},
        {1023, L"1023 Bytes", L"1023 بايت"},
        {1024, L"1.00 KB", L"1.00 ك.ب"},
        {1048575, L"1024.00 KB", L"1024.00 ك.ب"},
        {1048576, L"1.00 MB", L"1.00 م.ب"},
        {1073741823, L"1024.00 MB", L"1024.00 م.ب"},
        {1073741824, L"1.00 GB", L"1.00 ج.ب"},
        {5LL * 1073741824 / 2, L"2.50 GB", L"2.50 ج.ب"},
        {1099511627776LL * 3, L"3072.00 GB", L"3072.00 ج.ب"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        {
            LanguageScope english(false);
            EXPECT_EQ(SizeText(c.bytes), c.english);
        }
        LanguageScope arabic(true);
        EXPECT_EQ(SizeText(c.bytes), *c.arabic ? RLM + c.arabic : std::wstring()) << Show(SizeText(c.bytes));
    }
}

TEST(SpeedText, KilobytesBelowOneMegabyteEachSecond) {
    const struct {
        double speed;
        const wchar_t* english;
        const wchar_t* arabic;
    } cases[] = {
        {0, L"0.00 KB/sec", L"0.00 ك.ب/ث"},
        {500, L"0.49 KB/sec", L"0.49 ك.ب/ث"},
        {1048575, L"1024.00 KB/sec", L"1024.00 ك.ب/ث"},
        {1048576, L"1.00 MB/sec", L"1.00 م.ب/ث"},
        {12.5 * 1048576, L"12.50 MB/sec", L"12.50 م.ب/ث"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        {
            LanguageScope english(false);
            EXPECT_EQ(SpeedText(c.speed), c.english);
        }
        LanguageScope arabic(true);
        EXPECT_EQ(SpeedText(c.speed), RLM + c.arabic);
    }
}

TEST(TimeLeftText, ThresholdsOfEachForm) {
    const struct {
        int64_t seconds;
        const wchar_t* english;
        const wchar_t* arabic;
    } cases[] = {
        {0, L"0 sec", L"0 ثانية"},
        {59, L"59 sec", L"59 ثانية"},
        {60, L"1 min 0 sec", L"1 دقيقة 0 ثانية"},
        {3599, L"59 min 59 sec", L"59 دقيقة 59 ثانية"},
        {3600, L"1 hr 0 min", L"1 ساعة 0 دقيقة"},
        {86399, L"23 hr 59 min", L"23 ساعة 59 دقيقة"},
        {86400, L"1 days 0 hr", L"1 يوم 0 ساعة"},
        {90000, L"1 days 1 hr", L"1 يوم 1 ساعة"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        // 1000 bytes per second, so the remainder in bytes is the seconds times 1000.
        DownloadSnapshot d =
            Download(DownloadState::Downloading, 10'000'000'000LL, 10'000'000'000LL - c.seconds * 1000);
        d.speed = 1000;
        {
            LanguageScope english(false);
            EXPECT_EQ(TimeLeftText(d), c.english);
        }
        LanguageScope arabic(true);
        EXPECT_EQ(TimeLeftText(d), RLM + c.arabic) << Show(TimeLeftText(d));
    }
}

TEST(TimeLeftText, FractionsOfASecondAreCutOff) {
    LanguageScope english(false);
    DownloadSnapshot d = Download(DownloadState::Downloading, 1000, 0);
    d.speed = 17;  // 58.8 s
    EXPECT_EQ(TimeLeftText(d), L"58 sec");
}

TEST(TimeLeftText, EmptyWithoutASpeedOrARemainder) {
    LanguageScope english(false);
    DownloadSnapshot d = Download(DownloadState::Downloading, 1000, 500);
    d.speed = 0.5;
    EXPECT_EQ(TimeLeftText(d), L"") << "below 1 byte per second";
    d.speed = 100;
    d.state = DownloadState::Stopped;
    EXPECT_EQ(TimeLeftText(d), L"") << "not downloading";
    d.state = DownloadState::Downloading;
    d.scanning = true;
    EXPECT_EQ(TimeLeftText(d), L"") << "antivirus scan";
    d.scanning = false;
    d.size = -1;
    EXPECT_EQ(TimeLeftText(d), L"") << "unknown size";
    d.size = 0;
    EXPECT_EQ(TimeLeftText(d), L"") << "zero size";
    d.size = 400;  // more arrived than announced: no negative time
    EXPECT_EQ(TimeLeftText(d), L"0 sec");
}

TEST(TimeLeftText, VideoEstimatesFromTheAveragePart) {
    LanguageScope english(false);
    DownloadSnapshot d = VideoDownload(DownloadState::Downloading, 10, 0, 0);
    d.speed = 1000;
    EXPECT_EQ(TimeLeftText(d), L"") << "no part done yet";
    d = VideoDownload(DownloadState::Downloading, 10, 4, 400'000);  // 100 kB a part, 6 to go
    d.speed = 1000;
    EXPECT_EQ(TimeLeftText(d), L"10 min 0 sec");
}

TEST(PercentDone, StatesSizesAndVideo) {
    EXPECT_EQ(PercentDone(Download(DownloadState::Complete, -1, 0)), 100.0);
    EXPECT_EQ(PercentDone(VideoDownload(DownloadState::Complete, 8, 3, 10)), 100.0);
    EXPECT_EQ(PercentDone(VideoDownload(DownloadState::Downloading, 8, 2, 10)), 25.0);
    EXPECT_EQ(PercentDone(Download(DownloadState::Downloading, -1, 5000)), 0.0);
    EXPECT_EQ(PercentDone(Download(DownloadState::Downloading, 0, 5000)), 0.0);
    EXPECT_EQ(PercentDone(Download(DownloadState::Downloading, 4000, 1000)), 25.0);
    EXPECT_EQ(PercentDone(Download(DownloadState::Stopped, 4000, 9000)), 100.0);
}

TEST(StatusText, EveryStateInBothLanguages) {
    auto downloading = [](auto change) {
        DownloadSnapshot d = Download(DownloadState::Downloading, 8000, 1000);
        change(d);
        return d;
    };
    const struct {
        const char* name;
        DownloadSnapshot d;
        const wchar_t* english;
        const wchar_t* arabic;
    } cases[] = {
        {"queued", Download(DownloadState::Queued, 100, 0), L"Queued", L"في الانتظار"},
        {"scanning before probing", downloading([](auto& d) { d.scanning = d.probing = true; }), L"Scanning",
         L"جارٍ الفحص"},
        {"probing", downloading([](auto& d) { d.probing = true; }), L"Connecting", L"جارٍ الاتصال"},
        {"downloading, size known", downloading([](auto&) {}), L"12.50%", L"12.50%"},
        {"downloading, unknown size", Download(DownloadState::Downloading, -1, 2048), L"2.00 KB",
         L"\u200F2.00 ك.ب"},
        {"downloading video", VideoDownload(DownloadState::Downloading, 3, 1, 50), L"33.33%", L"33.33%"},
        {"stopped, nothing yet", Download(DownloadState::Stopped, 100, 0), L"Stopped", L"متوقف"},
        {"stopped, size unknown", Download(DownloadState::Stopped, -1, 100), L"Stopped", L"متوقف"},
        {"stopped, one byte", Download(DownloadState::Stopped, 1'000'000, 1), L"0.00%", L"0.00%"},
        {"stopped video with parts", VideoDownload(DownloadState::Stopped, 4, 1, 0), L"25.00%", L"25.00%"},
        {"complete video", VideoDownload(DownloadState::Complete, 4, 4, 0), L"Complete", L"مكتمل"},
        {"error", Download(DownloadState::Error, 100, 50), L"Error", L"خطأ"},
        {"unknown state",
         [] {
             DownloadSnapshot d;
             d.state = static_cast<DownloadState>(9);  // from a newer list.ini, say
             return d;
         }(),
         L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            LanguageScope english(false);
            EXPECT_EQ(StatusText(c.d), c.english);
        }
        LanguageScope arabic(true);
        EXPECT_EQ(StatusText(c.d), c.arabic) << Show(StatusText(c.d));
    }
}

// A FILETIME for a local wall-clock time, as the program stores times (UTC FILETIME).
int64_t FileTimeOfLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, 30, 0};
    FILETIME localTime{}, utc{};
    EXPECT_TRUE(SystemTimeToFileTime(&local, &localTime));
    EXPECT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    return (static_cast<int64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

TEST(DateText, BothLocales) {
    const int64_t afternoon = FileTimeOfLocal(2026, 3, 5, 14, 7);
    const int64_t morning = FileTimeOfLocal(2026, 12, 25, 9, 30);
    {
        LanguageScope english(false);
        EXPECT_EQ(DateText(afternoon), L"Mar 05 2026  02:07 PM");
        EXPECT_EQ(DateText(morning), L"Dec 25 2026  09:30 AM");
        EXPECT_EQ(DateText(0), L"");
        EXPECT_EQ(DateText(-5), L"");
    }
    LanguageScope arabic(true);
    EXPECT_EQ(DateText(afternoon), L"5 مارس 2026  02:07 م") << Show(DateText(afternoon));
    EXPECT_EQ(DateText(morning), L"25 ديسمبر 2026  09:30 ص") << Show(DateText(morning));
    EXPECT_EQ(DateText(0), L"");
}

}  // namespace
}  // namespace vonu
