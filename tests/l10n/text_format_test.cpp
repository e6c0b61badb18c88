#include <gtest/gtest.h>

#include <string>

#include "l10n/text_format.h"

namespace vonu {
namespace {

TEST(FormatText, WideStringsAndSixtyFourBitNumbers) {
    // "%s" takes a wide string here, unlike std::swprintf under mingw-w64.
    EXPECT_EQ(FormatText(L"Vonu: %d downloading, %s", 3, L"1.50 MB/sec"),
              L"Vonu: 3 downloading, 1.50 MB/sec");
    EXPECT_EQ(FormatText(L"(%lld bytes)", 9'007'199'254'740'993LL), L"(9007199254740993 bytes)");
    EXPECT_EQ(FormatText(L"(%.1f%% done)", 99.96), L"(100.0% done)");
    EXPECT_EQ(FormatText(L"%s  (%d of %d parts)", L"ملف.mp4", 2, 9), L"ملف.mp4  (2 of 9 parts)");
}

TEST(FormatText, LongResultsAreWholeAndNullFormatIsEmpty) {
    const std::wstring path(5000, L'x');
    const std::wstring text = FormatText(L"Saved as:\n%s.", path.c_str());
    EXPECT_EQ(text, L"Saved as:\n" + path + L".");
    EXPECT_EQ(FormatText(nullptr), L"");
    EXPECT_EQ(FormatText(L""), L"");
}

}  // namespace
}  // namespace vonu
