// The main window's decisions about an update: which version is newer, when the daily
// check is due, which results are offered, and what the dialog shows of the description's
// unsigned parts (notes, release page).
#include <gtest/gtest.h>

#include "model/text_encoding.h"
#include "ui/update_dialog.h"
#include "ui/update_offer.h"

namespace vonu {
namespace {

TEST(UpdateOffer, CompareVersions) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int expected;
    } const cases[] = {
        {L"1.2.0", L"1.2.0", 0},
        {L"1.2", L"1.2.0.0", 0},  // a missing number reads as 0
        {L"1.3.0", L"1.2.0", 1},
        {L"1.2.0", L"1.10.0", -1},  // by value, not as text
        {L"2", L"1.99.99.99", 1},
        {L"1.2.0.1", L"1.2.0", 1},
        {L"1.2.0.0.9", L"1.2.0", 0},  // a fifth number is not read
        {L"01.002", L"1.2", 0},
        {L"99999999999999999999.0", L"99999999999999999998.9", 1},  // longer than 64 bits
        {L"x.1", L"0.1", 0},                                        // an unreadable number reads as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(std::wstring(c.a) + L" vs " + c.b));
        EXPECT_EQ(CompareVersions(c.a, c.b), c.expected);
        EXPECT_EQ(CompareVersions(c.b, c.a), -c.expected);
    }
}

TEST(UpdateOffer, TheDailyCheckIsDueAfterADay) {
    const int64_t last = 1'800'000'000;
    EXPECT_TRUE(DailyCheckDue(true, false, last + 86400, last));
    EXPECT_FALSE(DailyCheckDue(true, false, last + 86399, last));
    EXPECT_FALSE(DailyCheckDue(false, false, last + 86400 * 9, last)) << "switched off";
    EXPECT_FALSE(DailyCheckDue(true, true, last + 86400 * 9, last)) << "one runs";
    EXPECT_TRUE(DailyCheckDue(true, false, last, 0)) << "never checked";
}

TEST(UpdateOffer, SkippedVersionsAreOfferedOnlyWhenAsked) {
    EXPECT_TRUE(ShouldOffer(false, L"1.3.0", L""));
    EXPECT_FALSE(ShouldOffer(false, L"1.3.0", L"1.3.0"));
    EXPECT_TRUE(ShouldOffer(true, L"1.3.0", L"1.3.0"));
    EXPECT_TRUE(ShouldOffer(false, L"1.4.0", L"1.3.0"));
    EXPECT_FALSE(ShouldOffer(true, L"1.2.0", L"")) << "the running version";
    EXPECT_FALSE(ShouldOffer(true, L"1.1.9", L""));
}

TEST(UpdateOffer, NotesText) {
    EXPECT_EQ(UpdateNotesText({L"Faster", L"Safer"}), L"\u2022  Faster\r\n\u2022  Safer\r\n");
    EXPECT_EQ(UpdateNotesText({}), L"Fixes and improvements.");
    EXPECT_EQ(UpdateNotesText({L"", L""}), L"Fixes and improvements.");
    EXPECT_EQ(UpdateNotesText({L"", L"x"}), L"\u2022  \r\n\u2022  x\r\n");
}

TEST(UpdateOffer, OnlyWebAddressesAreOfferedAsTheReleasePage) {
    for (const wchar_t* page : {L"https://vonu.app/release-1.3.0", L"http://vonu.app/r"})
        EXPECT_TRUE(IsReleasePageAddress(page)) << WideToUtf8(page);
    for (const wchar_t* page : {L"", L"file:///C:/Windows/System32/calc.exe", L"C:\\Windows\\notepad.exe",
                                L"javascript:alert(1)", L"\\\\server\\share\\run.exe", L"HTTPS://vonu.app/",
                                L" https://vonu.app/", L"ms-settings:", L"httpsx://x"})
        EXPECT_FALSE(IsReleasePageAddress(page)) << WideToUtf8(page);
}

}  // namespace
}  // namespace vonu
