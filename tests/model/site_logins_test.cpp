#include "model/site_logins.h"

#include <gtest/gtest.h>

#include "model/data_folder.h"
#include "model/hosts.h"
#include "model/server_limits.h"
#include "model/user_lists.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;
using test::WriteUtf16File;

TEST(SiteLogins, PasswordsAreStoredProtectedAndLoadBack) {
    TempFolder dir;
    DownloadManager m;
    ReplaceLogins(m, {{L"*.example.com", L"alice", L"s3cret pässwörd كلمة"},
                      {L"files.example.org", L"bob\r\nsmith", L""}});
    ASSERT_TRUE(SaveCategoriesLoginsAndLimits(m, dir.path()).ok);

    std::string bytes = test::ReadBytes(LoginsPath(dir.path()));
    ASSERT_GE(bytes.size(), 2u);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_EQ(text.find(L"s3cret"), std::wstring::npos) << "no password in the clear";
    EXPECT_EQ(text.rfind(L"[Login0]\r\nSite=*.example.com\r\nUser=alice\r\nPass=", 0), 0u);
    EXPECT_NE(text.find(L"[Login1]\r\nSite=files.example.org\r\nUser=bob  smith\r\nPass="), std::wstring::npos);
    size_t pass = text.find(L"Pass=") + 5;
    std::wstring hex = text.substr(pass, text.find(L"\r\n", pass) - pass);
    EXPECT_GT(hex.size(), 40u);
    EXPECT_EQ(hex.size() % 2, 0u);
    EXPECT_EQ(hex.find_first_not_of(L"0123456789abcdef"), std::wstring::npos) << "lowercase hex only";

    DownloadManager back;
    LoadCategoriesLoginsAndLimits(back, dir.path());
    std::vector<SiteLogin> logins = CopyLogins(back);
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_EQ(logins[0].password, L"s3cret pässwörd كلمة");
    EXPECT_EQ(logins[1].user, L"bob  smith");
    EXPECT_EQ(logins[1].password, L"");
    auto found = LoginForHost(back, L"dl.example.com");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->user, L"alice");
}

// DPAPI ties a blob to the Windows account that made it. Wine does not bind blobs to the
// user, so a foreign account's blob is shown here by blobs this account cannot unprotect.
TEST(SiteLogins, ForeignOrDamagedPasswordsLoadEmpty) {
    TempFolder dir;
    std::wstring good = ProtectPassword(L"pw");
    ASSERT_FALSE(good.empty());
    // Random bytes of a blob's length, and a good blob cut short.
    std::wstring random;
    uint32_t x = 12345;
    for (size_t i = 0; i < good.size(); ++i) {
        x = x * 1103515245 + 12345;
        random.push_back(L"0123456789abcdef"[(x >> 16) & 15]);
    }
    const std::wstring cut = good.substr(0, good.size() - 16);
    WriteUtf16File(LoginsPath(dir.path()),
                   L"[Login0]\r\nSite=a.example\r\nUser=u0\r\nPass=" + random + L"\r\n"
                   L"[Login1]\r\nSite=b.example\r\nUser=u1\r\nPass=" + cut + L"\r\n"
                   L"[Login2]\r\nSite=c.example\r\nUser=u2\r\nPass=zz" + good + L"\r\n"
                   L"[Login3]\r\nSite=d.example\r\nUser=u3\r\nPass=" + good + L"7\r\n"
                   L"[Login4]\r\nSite=e.example\r\nUser=u4\r\n"
                   L"[Login6]\r\nSite=after.gap\r\n");
    DownloadManager m;
    LoadCategoriesLoginsAndLimits(m, dir.path());
    std::vector<SiteLogin> logins = CopyLogins(m);
    ASSERT_EQ(logins.size(), 5u);
    const wchar_t* expected[] = {L"", L"", L"", L"pw", L""};
    for (size_t i = 0; i < logins.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(logins[i].user, L"u" + std::to_wstring(i));
        EXPECT_EQ(logins[i].password, expected[i]) << "a final odd digit is ignored; damage gives empty";
    }
}

TEST(ServerLimits, ParseClampsAndSkipsGarbage) {
    std::vector<ServerLimit> limits = ParseServerLimits(L"a=0;b=99;garbage;=4;c=-3;x=y=7;;");
    ASSERT_EQ(limits.size(), 5u);
    EXPECT_EQ(limits[0].host, L"a");
    EXPECT_EQ(limits[0].limit, 1);
    EXPECT_EQ(limits[1].host, L"b");
    EXPECT_EQ(limits[1].limit, 32);
    EXPECT_EQ(limits[2].host, L"");
    EXPECT_EQ(limits[2].limit, 4);
    EXPECT_EQ(limits[3].limit, 1);
    EXPECT_EQ(limits[4].host, L"x=y") << "the host ends at the last '='";
    EXPECT_EQ(limits[4].limit, 7);
    EXPECT_EQ(FormatServerLimits({{L"dl.example.net", 2}, {L"files.example.org", 4}}),
              L"dl.example.net=2;files.example.org=4");
    EXPECT_EQ(FormatServerLimits({}), L"");
}

TEST(ServerLimits, SavedIntoSettingsBesideTheOtherKeys) {
    TempFolder dir;
    DownloadManager m;
    ReplaceServerLimits(m, {{L"dl.example.net", 2}, {L"سيرفر.example", 4}});
    ASSERT_TRUE(SaveCategoriesLoginsAndLimits(m, dir.path()).ok);
    std::string bytes = test::ReadBytes(SettingsPath(dir.path()));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "a settings.ini made here is UTF-16";

    WritePrivateProfileStringW(L"Main", L"MaxConn", L"5", SettingsPath(dir.path()).c_str());
    ReplaceServerLimits(m, {{L"dl.example.net", 3}});
    ASSERT_TRUE(SaveCategoriesLoginsAndLimits(m, dir.path()).ok);
    EXPECT_EQ(GetPrivateProfileIntW(L"Main", L"MaxConn", 0, SettingsPath(dir.path()).c_str()), 5u);

    ReplaceServerLimits(m, {{L"dl.example.net", 2}, {L"سيرفر.example", 4}});
    ASSERT_TRUE(SaveCategoriesLoginsAndLimits(m, dir.path()).ok);
    DownloadManager back;
    LoadCategoriesLoginsAndLimits(back, dir.path());
    std::vector<ServerLimit> limits = CopyServerLimits(back);
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[1].host, L"سيرفر.example");
    EXPECT_EQ(limits[1].limit, 4);
}

}  // namespace
}  // namespace vonu
