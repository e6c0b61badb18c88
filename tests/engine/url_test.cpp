#include "engine/url.h"

#include <gtest/gtest.h>

#include "engine/http_errors.h"

namespace vonu {
namespace {

TEST(UrlTest, EncodePathEncodesOnlyWhatMustBe) {
    EXPECT_EQ(EncodePath(L"/a b/caf\u00e9.txt"), L"/a%20b/caf%C3%A9.txt");
    EXPECT_EQ(EncodePath(L"/a%20b"), L"/a%20b");  // already encoded: unchanged
    EXPECT_EQ(EncodePath(L"/\"<x>\"?q=1&r=%41"), L"/%22%3Cx%3E%22?q=1&r=%41");
    EXPECT_EQ(EncodePath(L"/\U0001F600"), L"/%F0%9F%98%80");
    EXPECT_EQ(EncodePath(L"/\u0645"), L"/%D9%85");
}

TEST(UrlTest, RequestPathCutsTheFragmentAndStartsWithSlash) {
    EXPECT_EQ(RequestPath(L""), L"/");
    EXPECT_EQ(RequestPath(L"/a#frag"), L"/a");
    EXPECT_EQ(RequestPath(L"?x=1"), L"/?x=1");
    EXPECT_EQ(RequestPath(L"/p q?x=1#f g"), L"/p%20q?x=1");
}

TEST(UrlTest, CrackAddressTakesHttpAndHttpsOnly) {
    AddressParts p;
    ASSERT_TRUE(CrackAddress(L"https://u:pw@Example.com:8443/a/b?c=d#e", p));
    EXPECT_TRUE(p.secure);
    EXPECT_EQ(p.host, L"Example.com");
    EXPECT_EQ(p.port, 8443);
    EXPECT_EQ(p.user, L"u");
    EXPECT_EQ(p.password, L"pw");
    EXPECT_EQ(p.path, L"/a/b?c=d#e");
    ASSERT_TRUE(CrackAddress(L"http://h", p));
    EXPECT_EQ(p.port, 80);
    EXPECT_EQ(p.path, L"");
    EXPECT_FALSE(CrackAddress(L"ftp://h/a", p));
    EXPECT_FALSE(CrackAddress(L"not an address", p));
    EXPECT_FALSE(CrackAddress(L"http:///path", p));
    EXPECT_FALSE(CrackAddress(L"", p));
}

TEST(UrlTest, InternationalHostsGoOutInPunycode) {
    EXPECT_EQ(AsciiHost(L"b\u00fccher.example"), L"xn--bcher-kva.example");
    EXPECT_EQ(AsciiHost(L"plain.example"), L"plain.example");
}

TEST(UrlTest, ResolveAddressTable) {
    struct Case {
        const wchar_t* base;
        const wchar_t* reference;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"http://h/p/q/r", L"../b?x=1", L"http://h/p/b?x=1"},
        {L"https://h/a", L"//cdn/z", L"https://cdn/z"},
        {L"http://h/a/b", L"ftp://other/x", L"ftp://other/x"},
        {L"http://h:81/a/b?old=1", L"/root", L"http://h:81/root"},
        {L"http://h/a/b?old=1", L"?new=2", L"http://h/a/b?new=2"},
        {L"http://h", L"x.ts", L"http://h/x.ts"},
        {L"http://h", L"?q", L"http://h/?q"},
        {L"http://h/a/", L"./b/./c", L"http://h/a/b/c"},
        {L"http://h/a/b", L"../../../../x", L"http://h/x"},  // never above the root
        {L"http://h/a/b", L"..", L"http://h/"},
        {L"http://h/a/b/c", L"../", L"http://h/a/"},
        {L"http://h/a/b?q=/x/y", L"z", L"http://h/a/z"},  // a slash in the query is not a folder
        {L"http://h/a/b", L"c?d=../e", L"http://h/a/c?d=../e"},
        {L"http://h/a/b#f", L"c#g", L"http://h/a/c#g"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "base " << c.base << " ref " << c.reference);
        EXPECT_EQ(ResolveAddress(c.base, c.reference), c.expected);
    }
}

TEST(HttpErrorsTest, FixedSentencesAndSystemTexts) {
    const std::pair<uint32_t, const wchar_t*> fixed[] = {
        {12002, L"Connection timed out"},
        {10060, L"Connection timed out"},
        {12007, L"Server name not found"},
        {12017, L"Cancelled"},
        {12029, L"Cannot connect to the server"},
        {10061, L"Cannot connect to the server"},
        {12030, L"Connection to the server was reset"},
        {12175, L"Secure connection failed (certificate problem)"},
    };
    for (const auto& [code, sentence] : fixed) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ErrorTextFor(code), sentence);
    }
    // A code without text anywhere.
    EXPECT_EQ(ErrorTextFor(0x2ABCDEF), L"Error 44813807");
    // A system text loses its full stop and line break.
    std::wstring denied = ErrorTextFor(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(denied.empty());
    EXPECT_NE(denied.back(), L'.');
    EXPECT_NE(denied.back(), L'\n');
    EXPECT_EQ(denied.find(L"Error 5"), std::wstring::npos) << "the system has a text for code 5";
}

}  // namespace
}  // namespace vonu
