#include "app/command_line.h"

#include <gtest/gtest.h>

#include "l10n/language.h"

namespace vonu {
namespace {

TEST(CommandLine, SwitchesAreSubstringsAnywhere) {
    struct Case {
        const wchar_t* line;
        bool host, restart, tray, updated;
    } const cases[] = {
        {L"\"C:\\Vonu\\Vonu.exe\"", false, false, false, false},
        {L"Vonu.exe /tray", false, false, true, false},
        {L"Vonu.exe /restart /updated", false, true, false, true},
        {L"Vonu.exe /tray chrome-extension://abcdefghijklmnop/", true, false, true, false},
        {L"Vonu.exe --parent-window=0 chrome-extension://id/ /tray", true, false, true, false},
        {L"Vonu.exe C:\\x\\manifest.json integration@vonu.app", true, false, false, false},
        {L"Vonu.exe /TRAY /Restart Chrome-Extension://x/", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CommandLine r = ParseCommandLine(c.line);
        EXPECT_EQ(r.host, c.host);
        EXPECT_EQ(r.restart, c.restart);
        EXPECT_EQ(r.tray, c.tray);
        EXPECT_EQ(r.updated, c.updated);
    }
}

TEST(Language, SettingWinsOverTheUserInterfaceLanguage) {
    const LANGID arabicWindows = MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_EGYPT);
    const LANGID englishWindows = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    struct Case {
        const wchar_t* setting;
        LANGID ui;
        bool arabic;
    } const cases[] = {
        {L"ar", englishWindows, true},  {L"en", arabicWindows, false}, {L"", arabicWindows, true},
        {L"", englishWindows, false},   {L"fr", arabicWindows, true},  {L"AR", englishWindows, false},
        {L"", MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting '" << std::string(c.setting, c.setting + wcslen(c.setting))
                                        << "' ui " << c.ui);
        EXPECT_EQ(ChooseArabicInterface(c.setting, c.ui), c.arabic);
    }
}

}  // namespace
}  // namespace vonu
