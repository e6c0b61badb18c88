// Addresses found in free text, and the link list files import reads and export writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/link_extraction.h"

namespace vonu {
namespace {

using Links = std::vector<std::wstring>;

TEST(ExtractLinks, TextCases) {
    const struct {
        std::wstring text;
        Links links;
    } cases[] = {
        {L"Get https://a.example/x.zip, or (HTTP://B.EXAMPLE/Y.ZIP).",
         {L"https://a.example/x.zip", L"HTTP://B.EXAMPLE/Y.ZIP"}},
        {L"https://a/1 https://a/1 HTTPS://a/1", {L"https://a/1", L"HTTPS://a/1"}},
        {L"https:// x", {}},
        {L"ftp://;.),", {}},
        {L"<a href=\"http://h/a?x=1&amp;y=2\">", {L"http://h/a?x=1&amp;y=2"}},
        {L"http://a/1\thttp://a/2\rhttp://a/3\x00A0http://a/4\x3000http://a/5",
         {L"http://a/1", L"http://a/2", L"http://a/3", L"http://a/4", L"http://a/5"}},
        {L"xhttp://glued/a.zip'ftp://f/b", {L"http://glued/a.zip", L"ftp://f/b"}},
        {L"http://a/x.zip;;).. next", {L"http://a/x.zip"}},
        {L"https://ends-the-text", {L"https://ends-the-text"}},
        {L"http", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ExtractLinks(c.text), c.links);
    }
}

TEST(ExtractLinks, AMillionLinksInOrder) {
    std::wstring text;
    for (int i = 0; i < 1000000; ++i) text += L"http://h/" + std::to_wstring(i % 500000) + L".zip\r\n";
    const Links links = ExtractLinks(text);
    ASSERT_EQ(links.size(), 500000u);  // each address once, in order of first appearance
    EXPECT_EQ(links.front(), L"http://h/0.zip");
    EXPECT_EQ(links.back(), L"http://h/499999.zip");
}

TEST(LinkFiles, EncodingsReadAlike) {
    const std::wstring want = L"http://h/caf\x00E9.zip\r\nhttp://h/2.zip";
    const std::string utf8 = "http://h/caf\xC3\xA9.zip\r\nhttp://h/2.zip";
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : want) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    EXPECT_EQ(DecodeTextFile(utf8), want);
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" + utf8), want);
    EXPECT_EQ(DecodeTextFile(utf16), want);
    EXPECT_EQ(DecodeTextFile(utf16 + "x"), want);  // odd length: the stray byte is dropped
    EXPECT_EQ(DecodeTextFile("\xEF"), L"\xFFFD");  // too short for a byte-order mark
    EXPECT_EQ(DecodeTextFile(std::string("a\0b\xFF", 4)), std::wstring(L"a\0b\xFFFD", 4));
}

TEST(LinkFiles, SixteenMebibytesAndNoMore) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"links.txt");
    std::string bytes(kLinkFileCap, ' ');
    bytes.replace(kLinkFileCap - 20, 14, "http://h/a.zip");
    test::WriteBytes(path, bytes);
    std::wstring text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(ExtractLinks(text), Links{L"http://h/a.zip"});
    test::WriteBytes(path, bytes + " ");
    EXPECT_FALSE(ReadTextFile(path, text));
    EXPECT_FALSE(ReadTextFile(folder.File(L"missing.txt"), text));
}

TEST(LinkFiles, ExportReadsBackInOrder) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"Vonu downloads.txt");
    const Links addresses = {L"https://h/b.zip", L"ftp://f/a\x0639.bin", L"https://h/a.zip?x=1&y=2"};
    test::WriteBytes(path, "an old, longer file that must not survive in part .......................");
    ASSERT_TRUE(WriteExportedList(path, addresses).ok);
    const std::string bytes = test::ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::wstring text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(ExtractLinks(text), addresses);
}

TEST(LinkFiles, AFailedExportKeepsTheOldFile) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"list.txt");
    test::WriteBytes(path, "old");
    // A folder where the temporary file must go: the write fails before anything is moved.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    HANDLE inside = CreateFileW((path + L".tmp\\x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(inside, INVALID_HANDLE_VALUE);
    CloseHandle(inside);
    const WriteResult result = WriteExportedList(path, {L"http://h/a"});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(test::ReadBytes(path), "old");
}

}  // namespace
}  // namespace vonu
