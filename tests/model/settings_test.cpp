#include "model/settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using test::WriteUtf16File;

// A manager as start-up has it before settings.ini is read.
void PrepareDefaults(DownloadManager& m) {
    m.ScanExe = DefaultScanExe();
    m.ScanArgs = DefaultScanArgs();
    m.BaseDir = L"C:\\Users\\me\\Downloads";
}

std::unique_ptr<DownloadManager> LoadFrom(const std::wstring& iniText, const TempFolder& dir) {
    WriteUtf16File(dir.File(L"settings.ini"), iniText);
    auto m = std::make_unique<DownloadManager>();
    PrepareDefaults(*m);
    LoadSettings(*m, dir.File(L"settings.ini"));
    return m;
}

TEST(Settings, DefaultScannerIsDefenderWithQuotedFile) {
    std::wstring exe = DefaultScanExe();
    EXPECT_EQ(exe.find(L'%'), std::wstring::npos) << "environment variables are expanded";
    EXPECT_NE(exe.find(L"\\Windows Defender\\MpCmdRun.exe"), std::wstring::npos);
    EXPECT_EQ(DefaultScanArgs(), L"-Scan -ScanType 3 -File \"[file]\"");
}

TEST(Settings, MissingFileKeepsDefaultsAndWritesNothing) {
    TempFolder dir;
    DownloadManager m;
    PrepareDefaults(m);
    LoadSettings(m, dir.File(L"settings.ini"));
    EXPECT_EQ(m.MaxConn, 8u);
    EXPECT_EQ(m.BaseDir, L"C:\\Users\\me\\Downloads");
    EXPECT_FALSE(test::FileExists(dir.File(L"settings.ini")));
}

struct ClampCase {
    const wchar_t* line;
    uint32_t maxConn, maxActive, proxyMode;
    int32_t maxPerServer;
};

TEST(Settings, NumbersAreClamped) {
    const ClampCase cases[] = {
        {L"MaxConn=0\r\nMaxActive=0\r\nProxyMode=-1\r\nMaxPerServer=-5", 1, 1, 0, 0},
        {L"MaxConn=100\r\nMaxActive=50\r\nProxyMode=7\r\nMaxPerServer=33", 32, 10, 3, 32},
        {L"MaxConn=16\r\nMaxActive=4\r\nProxyMode=2\r\nMaxPerServer=6", 16, 4, 2, 6},
        {L"MaxConn=99999999999999999999999\r\nMaxActive=-99999999999999999999", 32, 1, 0, 0},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.line);
        TempFolder dir;
        auto loaded = LoadFrom(std::wstring(L"[Main]\r\n") + c.line + L"\r\n", dir);
        const DownloadManager& m = *loaded;
        EXPECT_EQ(m.MaxConn, c.maxConn);
        EXPECT_EQ(m.MaxActive, c.maxActive);
        EXPECT_EQ(m.ProxyMode, c.proxyMode);
        EXPECT_EQ(m.MaxPerServer, c.maxPerServer);
    }
}

TEST(Settings, ValuesLoadAndEmptyStringsKeepDefaults) {
    TempFolder dir;
    auto loaded = LoadFrom(
        L"[Main]\r\nSpeedLimitKB=-20\r\nLimiterOn=5\r\nShowProgress=0\r\nShowComplete=0\r\n"
        L"BaseDir=\r\nClipboard=0\r\nMinToTray=0\r\nLanguage=ar\r\nProxy=proxy.lan:8080\r\n"
        L"ScanOn=1\r\nScanExe=\r\nScanArgs=\r\nCheckUpdates=0\r\nLastUpdateCheck=1796000000123\r\n"
        L"SkipVersion=1.3.0\r\nSound=1\r\nPacUrl=http://wpad/wpad.dat\r\nUpdateUrl=http://127.0.0.1/u.json\r\n"
        L"ServerLimits=example.com:2\r\n",
        dir);
    DownloadManager& m = *loaded;
    EXPECT_EQ(m.SpeedLimitKB, -20) << "the speed limit is not clamped";
    EXPECT_TRUE(m.LimiterOn) << "any non-zero value is on";
    EXPECT_FALSE(m.ShowProgress);
    EXPECT_FALSE(m.ShowComplete);
    EXPECT_EQ(m.BaseDir, L"C:\\Users\\me\\Downloads");
    EXPECT_FALSE(m.Clipboard);
    EXPECT_FALSE(m.MinToTray);
    EXPECT_EQ(m.Language, L"ar");
    EXPECT_EQ(m.Proxy, L"proxy.lan:8080");
    EXPECT_TRUE(m.ScanOn);
    EXPECT_EQ(m.ScanExe, DefaultScanExe());
    EXPECT_EQ(m.ScanArgs, DefaultScanArgs());
    EXPECT_FALSE(m.CheckUpdates);
    EXPECT_EQ(m.LastUpdateCheck, 1796000000123LL);
    EXPECT_EQ(m.SkipVersion, L"1.3.0");
    EXPECT_TRUE(m.Sound);
    EXPECT_EQ(m.PacUrl, L"http://wpad/wpad.dat");
    EXPECT_EQ(m.UpdateUrl, L"http://127.0.0.1/u.json");
}

TEST(Settings, ArabicFolderSurvivesSaveAndLoad) {
    TempFolder dir;
    DownloadManager m;
    PrepareDefaults(m);
    m.BaseDir = L"D:\\تنزيلات";
    m.MaxConn = 12;
    m.LimiterOn = true;
    m.LastUpdateCheck = -7;
    SaveSettings(m, dir.File(L"settings.ini"));

    DownloadManager back;
    PrepareDefaults(back);
    LoadSettings(back, dir.File(L"settings.ini"));
    EXPECT_EQ(back.BaseDir, L"D:\\تنزيلات");
    EXPECT_EQ(back.MaxConn, 12u);
    EXPECT_TRUE(back.LimiterOn);
    EXPECT_EQ(back.LastUpdateCheck, -7);
}

// The profile functions drop one pair of quotes around a value and the blanks at its ends:
// texts typed that way still come back as typed.
TEST(Settings, QuotedAndBlankEdgedTextsComeBackAsTyped) {
    const wchar_t* typed[] = {L"\"[file]\"", L"'[file]'", L" -x \"[file]\" ", L"\"a\" b \"c\"", L"\"", L"plain \"[file]\""};
    for (const wchar_t* args : typed) {
        SCOPED_TRACE(WideToUtf8(args));
        TempFolder dir;
        DownloadManager m;
        PrepareDefaults(m);
        m.ScanArgs = args;
        m.Proxy = args;
        ASSERT_TRUE(SaveSettings(m, dir.File(L"settings.ini")).ok);
        DownloadManager back;
        PrepareDefaults(back);
        LoadSettings(back, dir.File(L"settings.ini"));
        EXPECT_EQ(back.ScanArgs, args);
        EXPECT_EQ(back.Proxy, args);
    }
}

TEST(Settings, AFailedSaveSaysSo) {
    TempFolder dir;
    DownloadManager m;
    PrepareDefaults(m);
    // A folder where the file must go: nothing can be written there, even as root.
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"settings.ini").c_str(), nullptr));
    const WriteResult saved = SaveSettings(m, dir.File(L"settings.ini"));
    EXPECT_FALSE(saved.ok);
    EXPECT_FALSE(saved.error.empty());
}

TEST(Settings, FirstSaveCreatesUtf16FileWithMainSectionInWriterOrder) {
    TempFolder dir;
    DownloadManager m;
    PrepareDefaults(m);
    m.UpdateUrl = L"http://never.written/";
    SaveSettings(m, dir.File(L"settings.ini"));
    std::string bytes = ReadBytes(dir.File(L"settings.ini"));
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_EQ(text.rfind(L"[Main]\r\n", 0), 0u) << "the file starts with the section";
    EXPECT_EQ(text.find(L"UpdateUrl"), std::wstring::npos);
    EXPECT_EQ(text.find(L"ServerLimits"), std::wstring::npos);
    const wchar_t* order[] = {L"MaxConn=8",     L"MaxActive=3",   L"SpeedLimitKB=0", L"LimiterOn=0",
                              L"ShowProgress=1", L"ShowComplete=1", L"BaseDir=",       L"Clipboard=1",
                              L"MinToTray=1",   L"Language=",     L"ProxyMode=0",    L"Proxy=",
                              L"ScanOn=0",      L"ScanExe=",      L"ScanArgs=",      L"CheckUpdates=1",
                              L"LastUpdateCheck=0", L"SkipVersion=", L"Sound=0",     L"MaxPerServer=0",
                              L"PacUrl="};
    size_t at = 0;
    for (const wchar_t* key : order) {
        SCOPED_TRACE(key);
        size_t found = text.find(std::wstring(L"\r\n") + key, at);
        ASSERT_NE(found, std::wstring::npos);
        at = found + 1;
    }
}

TEST(Settings, UpdateUrlSurvivesEverySave) {
    TempFolder dir;
    WriteUtf16File(dir.File(L"settings.ini"), L"[Main]\r\nUpdateUrl=http://127.0.0.1:9/update.json\r\n");
    for (int i = 0; i < 3; ++i) {
        DownloadManager m;
        PrepareDefaults(m);
        LoadSettings(m, dir.File(L"settings.ini"));
        EXPECT_EQ(m.UpdateUrl, L"http://127.0.0.1:9/update.json");
        m.UpdateUrl = L"http://changed.in.memory/";
        SaveSettings(m, dir.File(L"settings.ini"));
    }
}

// Damaged files load with defaults and clamps, never crash, and are left as they are.
TEST(Settings, BadFilesLoadWithDefaultsAndAreNotRewritten) {
    const std::wstring longValue(5000, L'x');
    struct Case {
        const char* name;
        std::string bytes;
    };
    auto utf16 = [](const std::wstring& t) {
        std::string b = "\xFF\xFE";
        b.append(reinterpret_cast<const char*>(t.data()), t.size() * 2);
        return b;
    };
    std::string truncated = utf16(L"[Main]\r\nMaxConn=4\r\nMaxActive=5\r\nShowProgr");
    truncated.pop_back();  // cut in the middle of a UTF-16 code unit
    const Case cases[] = {
        {"truncated", truncated},
        {"ansi", "[Main]\r\nMaxConn=4\r\nMaxActive=5\r\nShowProgress=abc\r\nProxyMode=x7\r\n"},
        {"garbage numbers", std::string("")},
        {"over-long strings", utf16(L"[Main]\r\nMaxConn=4\r\nMaxActive=5\r\nBaseDir=" + longValue +
                                    L"\r\nLanguage=" + longValue + L"\r\n")},
        {"binary", std::string("\x00\x01\xFF\xFE[\x00M\x00", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        std::string bytes = c.bytes;
        if (std::string(c.name) == "garbage numbers")
            bytes = utf16(L"[Main]\r\nMaxConn=4\r\nMaxActive=5\r\nShowProgress=yes\r\nCheckUpdates=\r\n"
                          L"LastUpdateCheck=soon\r\nMaxPerServer=--3\r\nSpeedLimitKB=12kb\r\n");
        WriteBytes(dir.File(L"settings.ini"), bytes);
        DownloadManager m;
        PrepareDefaults(m);
        LoadSettings(m, dir.File(L"settings.ini"));
        EXPECT_GE(m.MaxConn, 1u);
        EXPECT_LE(m.MaxConn, 32u);
        EXPECT_GE(m.MaxActive, 1u);
        EXPECT_LE(m.MaxActive, 10u);
        EXPECT_LE(m.BaseDir.size(), 519u) << "read into a buffer of 520 characters";
        EXPECT_LE(m.Language.size(), 1023u);
        EXPECT_EQ(test::ReadBytes(dir.File(L"settings.ini")), bytes) << "loading never rewrites the file";
        if (std::string(c.name) != "binary") {
            EXPECT_EQ(m.MaxConn, 4u);
            EXPECT_EQ(m.MaxActive, 5u);
            EXPECT_TRUE(m.ShowProgress) << "an unreadable boolean keeps its default";
        }
        if (std::string(c.name) == "garbage numbers") {
            EXPECT_TRUE(m.CheckUpdates);
            EXPECT_EQ(m.LastUpdateCheck, 0);
            EXPECT_EQ(m.MaxPerServer, 0);
            EXPECT_EQ(m.SpeedLimitKB, 12) << "a leading number is read as the profile functions do";
        }
    }
}

}  // namespace
}  // namespace vonu
