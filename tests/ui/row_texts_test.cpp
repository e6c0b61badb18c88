#include "ui/row_texts.h"

#include <gtest/gtest.h>

#include "l10n/display_format.h"
#include "model/download_types.h"

namespace vonu {
namespace {

DownloadSnapshot Download(DownloadState state) {
    DownloadSnapshot d;
    d.fileName = L"file.bin";
    d.description = L"note";
    d.state = state;
    d.added = 134405910000000000;
    return d;
}

TEST(RowTexts, SizeColumn) {
    auto d = Download(DownloadState::Stopped);
    d.size = 2048;
    EXPECT_EQ(MakeRowTexts(d)[kColumnSize], L"2.00 KB");
    d.size = 0;
    EXPECT_EQ(MakeRowTexts(d)[kColumnSize], L"0 Bytes");
    d.size = -1;
    EXPECT_EQ(MakeRowTexts(d)[kColumnSize], L"");
    d.video = true;
    EXPECT_EQ(MakeRowTexts(d)[kColumnSize], L"Video");
}

TEST(RowTexts, RemainingAndSpeedOnlyWhileDownloading) {
    auto d = Download(DownloadState::Downloading);
    d.size = 10 * 1048576;
    d.segments = {{0, d.size - 1, 5 * 1048576}};
    d.downloaded = 5 * 1048576;
    d.speed = 1048576;
    RowTexts t = MakeRowTexts(d);
    EXPECT_EQ(t[kColumnRemaining], L"5 sec");
    EXPECT_EQ(t[kColumnSpeed], L"1.00 MB/sec");
    EXPECT_EQ(t[kColumnStatus], L"50.00%");
    d.state = DownloadState::Stopped;
    t = MakeRowTexts(d);
    EXPECT_EQ(t[kColumnRemaining], L"");
    EXPECT_EQ(t[kColumnSpeed], L"");
}

TEST(RowTexts, LastAttemptFallsBackToTheAddedTime) {
    auto d = Download(DownloadState::Stopped);
    EXPECT_EQ(MakeRowTexts(d)[kColumnDate], DateText(d.added));
    d.lastStart = 134413227000000000;
    EXPECT_EQ(MakeRowTexts(d)[kColumnDate], DateText(d.lastStart));
    EXPECT_EQ(MakeRowTexts(d)[kColumnName], L"file.bin");
    EXPECT_EQ(MakeRowTexts(d)[kColumnDescription], L"note");
}

TEST(RowTexts, InputsCoverWhatTheTextsRead) {
    auto a = Download(DownloadState::Downloading);
    auto b = a;
    EXPECT_EQ(RowInputsOf(a), RowInputsOf(b));
    b.downloaded = 1;
    EXPECT_NE(RowInputsOf(a), RowInputsOf(b));
    b = a;
    b.probing = true;
    EXPECT_NE(RowInputsOf(a), RowInputsOf(b));
    b = a;
    b.speed = 3;
    EXPECT_NE(RowInputsOf(a), RowInputsOf(b));
}

}  // namespace
}  // namespace vonu
