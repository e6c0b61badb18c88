// The rules behind the add-from-address dialogs that need no window: which addresses the
// address dialog takes (typed or from the clipboard), which target paths New Download
// accepts and the folders it makes, and the file properties' status, size and dates lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "model/download_types.h"
#include "model/hosts.h"
#include "tests/support/language_scope.h"
#include "tests/support/temp_folder.h"
#include "ui/address_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/save_path_check.h"

namespace vonu {
namespace {

using namespace test;

TEST(AddressRules, AcceptedSchemesInAnyLetterCase) {
    struct Case {
        const wchar_t* text;
        bool accepted;
    };
    const Case cases[] = {
        {L"http://example.com/a.zip", true},
        {L"HTTPS://example.com/a.zip", true},
        {L"Ftp://example.com/a.zip", true},
        {L"ftp:x", false},
        {L"ftp:/x", false},
        {L"example.com/a.zip", false},
        {L"127.0.0.1/files/a.bin", false},
        {L"", false},
        {L"file:///C:/a.zip", false},
        {L" http://example.com", false},  // the dialog trims first
        {L"httpx://example.com", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.text, c.text + wcslen(c.text)));
        EXPECT_EQ(IsDownloadAddress(c.text), c.accepted);
    }
}

TEST(AddressRules, ClipboardPrefillsOnlyOneAddress) {
    struct Case {
        const wchar_t* clipboard;
        const wchar_t* prefill;
    };
    const Case cases[] = {
        {L"http://example.com/a.zip", L"http://example.com/a.zip"},
        {L"  \tHTTPS://example.com/a.zip\r\n", L"HTTPS://example.com/a.zip"},
        {L"ftp://example.com/pub/a.iso", L"ftp://example.com/pub/a.iso"},
        {L"http://example.com/a.zip\r\nhttp://example.com/b.zip", L""},
        {L"http://example.com/a.zip\nhttp://example.com/b.zip", L""},
        {L"http://example.com/my file.zip", L""},
        {L"see http://example.com/a.zip", L""},
        {L"example.com/a.zip", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.clipboard, c.clipboard + wcslen(c.clipboard)));
        EXPECT_EQ(AddressFromClipboardText(c.clipboard), c.prefill);
    }
}

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SavePathCheck, RefusesPathsWithoutAFolderOrFileName) {
    TempFolder temp;
    const std::vector<std::wstring> paths = {L"",
                                             L"C:\\",
                                             L"a\\b",
                                             L"file.bin",
                                             L"folder\\file.bin",
                                             L"\\file.bin",
                                             L"C:file\\x.bin",
                                             temp.path() + L"\\",
                                             L"\\\\server\\x.bin"};
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(testing::Message() << std::string(path.begin(), path.end()));
        const SavePathCheck check = CheckSavePath(path);
        EXPECT_EQ(check.verdict, SavePathVerdict::ChooseAgain);
        EXPECT_TRUE(check.message.empty());
    }
}

TEST(SavePathCheck, RefusesReservedCharactersAndFoldersThatCannotBeMade) {
    TempFolder temp;
    WriteBytes(temp.File(L"plain.txt"), "a file, not a folder");
    std::vector<std::wstring> paths;
    for (const wchar_t* name :
         {L"a<b.bin", L"a>b.bin", L"a:b.bin", L"a\"b.bin", L"a|b.bin", L"a?b.bin", L"a*b.bin",
          L"a\x01"
          L"b.bin",
          L"tab\there.bin", L"a/b.bin"})
        paths.push_back(temp.File(L"sub") + L"\\" + name);
    paths.push_back(temp.File(L"bad|folder") + L"\\ok.bin");
    paths.push_back(temp.File(L"plain.txt") + L"\\inner\\x.bin");
    paths.push_back(temp.File(L"sub") + L"\\\\x.bin");
    // A drive letter no volume uses.
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
            paths.push_back(root + L"folder\\x.bin");
            break;
        }
    }
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(testing::Message() << std::string(path.begin(), path.end()));
        const SavePathCheck check = CheckSavePath(path);
        EXPECT_EQ(check.verdict, SavePathVerdict::CannotCreate);
        EXPECT_EQ(check.message.rfind(L"Cannot create the file: ", 0), 0u);
        EXPECT_GT(check.message.size(), wcslen(L"Cannot create the file: ")) << "a reason follows";
    }
    EXPECT_FALSE(FileExists(temp.File(L"sub"))) << "a refused path makes no folder";
    EXPECT_EQ(ReadBytes(temp.File(L"plain.txt")), "a file, not a folder");
}

TEST(SavePathCheck, AcceptsFullPathsAndMakesTheirFolders) {
    TempFolder temp;
    const std::wstring deep = temp.File(L"new") + L"\\deeper";
    const SavePathCheck check = CheckSavePath(deep + L"\\file.bin");
    EXPECT_EQ(check.verdict, SavePathVerdict::Ok);
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_FALSE(FileExists(deep + L"\\file.bin")) << "only the folder is made";
    EXPECT_EQ(CheckSavePath(temp.File(L"top.bin")).verdict, SavePathVerdict::Ok);
    EXPECT_EQ(CheckSavePath(L"C:\\x.bin").verdict, SavePathVerdict::Ok) << "a file in a drive's root";
}

DownloadSnapshot Download(DownloadState state) {
    DownloadSnapshot d;
    d.fileName = L"file.bin";
    d.state = state;
    return d;
}

TEST(PropertiesTexts, StatusByStateWithTheShareDone) {
    LanguageScope english(false);
    struct Case {
        DownloadState state;
        int64_t size, downloaded;
        bool scanning;
        const wchar_t* text;
    };
    const Case cases[] = {
        {DownloadState::Queued, 1000, 250, false, L"Waiting in queue  (25.0% done)"},
        {DownloadState::Queued, -1, 0, false, L"Waiting in queue"},
        {DownloadState::Downloading, 1000, 500, false, L"Downloading  (50.0% done)"},
        {DownloadState::Downloading, 1000, 1000, true, L"Checking with the antivirus  (100.0% done)"},
        {DownloadState::Stopped, 1000, 125, false, L"Stopped, can be resumed  (12.5% done)"},
        {DownloadState::Stopped, 1000, 0, false, L"Stopped  (0.0% done)"},
        {DownloadState::Stopped, -1, 0, false, L"Stopped"},
        {DownloadState::Complete, 1000, 1000, false, L"Complete"},
        {DownloadState::Error, 1000, 300, false, L"Error: HTTP 404: file not found on the server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.state) << " " << c.downloaded);
        DownloadSnapshot d = Download(c.state);
        d.size = c.size;
        d.downloaded = c.downloaded;
        if (c.size > 0) d.segments = {{0, c.size - 1, c.downloaded}};
        d.scanning = c.scanning;
        d.lastError = L"HTTP 404: file not found on the server";
        EXPECT_EQ(PropertiesStatusText(d), c.text);
    }
    DownloadSnapshot video = Download(DownloadState::Stopped);
    video.video = true;
    video.partCount = 8;
    video.partsDone = 2;
    video.downloaded = 4096;
    EXPECT_EQ(PropertiesStatusText(video), L"Stopped, can be resumed  (25.0% done)");
}

TEST(PropertiesTexts, SizeWithExactBytesAndDates) {
    LanguageScope english(false);
    DownloadSnapshot d = Download(DownloadState::Complete);
    d.size = 5000;
    EXPECT_EQ(PropertiesSizeText(d), L"4.88 KB  (5000 bytes)");
    d.size = 1023;
    EXPECT_EQ(PropertiesSizeText(d), L"1023 Bytes");
    d.size = 1024;
    EXPECT_EQ(PropertiesSizeText(d), L"1.00 KB  (1024 bytes)");
    d.size = -1;
    EXPECT_EQ(PropertiesSizeText(d), L"Unknown");
    d.video = true;
    d.partCount = 120;
    EXPECT_EQ(PropertiesSizeText(d), L"Video stream, 120 parts");

    d.added = 134405910000000000;
    EXPECT_EQ(PropertiesDatesText(d), L"Added " + DateText(d.added));
    d.lastStart = d.added + 36000000000;
    EXPECT_EQ(PropertiesDatesText(d),
              L"Added " + DateText(d.added) + L"    Last try " + DateText(d.lastStart));
    EXPECT_NE(DateText(d.added), DateText(d.lastStart));
}

TEST(PropertiesTexts, ArabicLinesComeFromTheTable) {
    LanguageScope arabic(true);
    DownloadSnapshot d = Download(DownloadState::Stopped);
    d.size = 5000;
    d.downloaded = 2500;
    d.segments = {{0, 4999, 2500}};
    const std::wstring status = PropertiesStatusText(d);
    EXPECT_EQ(status.find(L"Stopped"), std::wstring::npos);
    EXPECT_EQ(status.rfind(Translate(L"Stopped, can be resumed"), 0), 0u);
    EXPECT_NE(PropertiesSizeText(d).find(L"5000"), std::wstring::npos);
    EXPECT_EQ(PropertiesSizeText(d).find(L"bytes"), std::wstring::npos);
}

}  // namespace
}  // namespace vonu
