// The page link scanner against the pattern it replaces: the same values on short inputs
// (the pattern runs here only on these few bytes), and inputs the pattern could not survive.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tools/link_scanner.h"

namespace vonu {
namespace {

std::vector<std::string> Scanned(std::string_view page) {
    std::vector<std::string> values;
    ScanPageLinks(page, [&](std::string_view v) {
        values.emplace_back(v);
        return true;
    });
    return values;
}

std::vector<std::string> ByPattern(const std::string& page) {
    static const std::regex pattern(R"((?:href|src)\s*=\s*["']([^"'<>#]+))",
                                    std::regex::ECMAScript | std::regex::icase);
    std::vector<std::string> values;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), pattern); it != std::sregex_iterator(); ++it)
        values.push_back((*it)[1].str());
    return values;
}

TEST(PageLinkScanner, FindsWhatThePatternFinds) {
    const std::string cases[] = {
        "",
        "<a href=\"a.zip\">",
        "<A HREF = 'A.ZIP#x'>",
        "<img src=x.png>",                       // unquoted: nothing
        "<img SrC\t=\r\n\"x.png\">",
        "href=\"\"src='b.zip'",                  // an empty value, then a good one
        "xhref='in-a-word.zip'",                 // not anchored
        "srcset=\"a.png 1x, b.png 2x\"",         // srcset is not src
        "href='a\"b'",                           // the other quote ends it
        "href=\"a<b\" href=\"c>d\" href='e#f'",
        "href=\"a.zip",                          // unterminated: to the end
        "hrefhref=\"a\"",
        "hre href = \"a\" sr src='b'",
        std::string("href=\"a\0b.zip\"", 15),   // NUL inside
        "href=\"\xff\xfe\xc3(.zip\"",            // not UTF-8
        "href  =  \n  'spaced.zip'",
        "href=\" padded.zip \"",
        "src='1'src='2'href='3'",
        "h s hr sr href= src= ' \" x",
        "href=''''href='ok'",
        "href=\"javascript:void(0)\" href='mailto:a@b'",
        "href\f=\v\"ff.zip\"",
    };
    for (const std::string& page : cases) {
        SCOPED_TRACE(page);
        EXPECT_EQ(Scanned(page), ByPattern(page));
    }
}

TEST(PageLinkScanner, LongValuesCostTheirLength) {
    // A 100 KB inline image and an unterminated value followed by 3 MiB: the pattern
    // recursed once per byte of such a value and overflowed the thread's stack.
    const std::string image = "<img src=\"data:image/png;base64," + std::string(100 * 1024, 'A') +
                              "\"><a href=\"after.zip\">";
    const std::vector<std::string> found = Scanned(image);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].size(), 100 * 1024 + 22u);
    EXPECT_EQ(found[1], "after.zip");

    const std::string open = "<a href=\"" + std::string(3 * 1024 * 1024, 'b');
    const std::vector<std::string> tail = Scanned(open);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail[0].size(), 3u * 1024 * 1024);

    // Many near misses in a row stay linear too.
    std::string misses;
    for (int i = 0; i < 200000; ++i) misses += "href = x src=\"\" ";
    EXPECT_TRUE(Scanned(misses).empty());
}

TEST(PageLinkScanner, StopsWhenAsked) {
    int calls = 0;
    ScanPageLinks("href='1' href='2' href='3'", [&](std::string_view) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(PageLinkScanner, CleansValuesAsBrowsersDo) {
    EXPECT_EQ(CleanLinkValue("  a.zip \t"), "a.zip");
    EXPECT_EQ(CleanLinkValue("/files/\r\nlong\tname.zip"), "/files/longname.zip");
    EXPECT_EQ(CleanLinkValue(" \n "), "");
}

}  // namespace
}  // namespace vonu
