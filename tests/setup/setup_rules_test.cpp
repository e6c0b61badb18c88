// The setup program's rules that need no installation: its command line, the install folder
// checks and the Browse rule, the space lines, its text table, which folder the uninstaller
// removes and how it deletes itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup/carried_files.h"
#include "setup/install_folder.h"
#include "setup/setup_command_line.h"
#include "setup/setup_texts.h"
#include "setup/uninstaller.h"
#include "tests/support/language_scope.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

TEST(SetupCommandLine, ReadsSwitchesAndKeepsQuotedValuesWhole) {
    struct Case {
        const wchar_t* line;
        bool uninstall, elevated;
        const wchar_t *lang, *dir, *desktop, *startMenu, *autorun;
    };
    const Case cases[] = {
        {L"\"C:\\x\\Vonu-Setup.exe\" /elevated /lang=ar /dir=\"C:\\My Apps\\Vonu\" /desktop=0 /startmenu=1 /autorun=0",
         false, true, L"ar", L"C:\\My Apps\\Vonu", L"0", L"1", L"0"},
        // A folder that holds switch-like text does not add switches of its own.
        {L"\"C:\\x\\Vonu-Setup.exe\" /elevated /dir=\"C:\\x /autorun=1 /uninstall\" /autorun=0", false, true, L"",
         L"C:\\x /autorun=1 /uninstall", L"", L"", L"0"},
        {L"\"C:\\a /uninstall /elevated\\Vonu-Setup.exe\"", false, false, L"", L"", L"", L"", L""},
        {L"\"C:\\Apps\\Vonu\\Uninstall.exe\" /uninstall", true, false, L"", L"", L"", L"", L""},
        {L"Vonu-Setup.exe /uninstall /dir=C:\\Vonu /lang=en", true, false, L"en", L"C:\\Vonu", L"", L"", L""},
        {L"Vonu-Setup.exe /dir=\"C:\\unterminated", false, false, L"", L"C:\\unterminated", L"", L"", L""},
        {L"Vonu-Setup.exe /uninstalled /elevatedx /dir", false, false, L"", L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line);
        const SetupCommandLine got = ParseSetupCommandLine(c.line);
        EXPECT_EQ(got.uninstall, c.uninstall);
        EXPECT_EQ(got.elevated, c.elevated);
        EXPECT_EQ(got.lang, c.lang);
        EXPECT_EQ(got.dir, c.dir);
        EXPECT_EQ(got.desktop, c.desktop);
        EXPECT_EQ(got.startMenu, c.startMenu);
        EXPECT_EQ(got.autorun, c.autorun);
    }
    std::wstring out;
    EXPECT_TRUE(QuotedSwitch(L"dir", L"C:\\My Apps\\Vonu", &out));
    EXPECT_EQ(out, L"/dir=\"C:\\My Apps\\Vonu\"");
    EXPECT_FALSE(QuotedSwitch(L"dir", L"C:\\x\" /autorun=1", &out));
}

TEST(InstallFolder, TakesOnlyFullPathsThatNameOneFolder) {
    constexpr size_t kLongest = 40;
    const std::wstring deep = L"C:\\" + std::wstring(222, L'a');  // a path of its own, but not with its files
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'b');
    struct Case {
        std::wstring typed;
        const wchar_t* folder;  // null: refused
        const wchar_t* reasonStart;
    };
    const Case cases[] = {
        {L"", nullptr, L""},
        {L"  \\\\ ", nullptr, L""},
        {L"Vonu", nullptr, L"Type the full path"},
        {L"C:", nullptr, L"Type the full path"},
        {L"C:foo", nullptr, L"Type the full path"},
        {L"\\foo", nullptr, L"Type the full path"},
        {L"C:\\", nullptr, L"Type the full path"},
        {L"C:\\Vonu\\..\\..", nullptr, L"Type the full path"},
        {L"\\\\?\\C:\\Vonu", nullptr, L"Type the full path"},
        {L"\\\\.\\C:\\Vonu", nullptr, L"Type the full path"},
        {L"\\\\server", nullptr, L"Type the full path"},
        {L"\\\\server\\share", nullptr, L"Type the full path"},
        {L"C:\\Apps\\Vo\"nu", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\<Vonu>", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps|Vonu", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\Vonu*", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\Vonu?", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\Vonu:stream", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\Vo\tnu", nullptr, L"A folder name cannot contain"},
        {L"C:\\Apps\\CON", nullptr, L"A folder name cannot be a device name"},
        {L"C:\\nul.txt\\Vonu", nullptr, L"A folder name cannot be a device name"},
        {L"C:\\Apps\\com1 \\Vonu", nullptr, L"A folder name cannot be a device name"},
        {L"C:\\Apps.\\Vonu", nullptr, L"A folder name cannot be a device name"},
        {L"C:\\Apps \\Vonu", nullptr, L"A folder name cannot be a device name"},
        {L"C:\\Vonu...", nullptr, L"A folder name cannot be a device name"},
        {deep, nullptr, L"This path is too long"},
        {tooLong, nullptr, L"This path is too long"},
        {L"C:\\Program Files\\Vonu\\\\  ", L"C:\\Program Files\\Vonu", L""},
        {L"C:/Tools/Vonu", L"C:\\Tools\\Vonu", L""},
        {L"c:\\Apps\\.\\old\\..\\Vonu", L"c:\\Apps\\Vonu", L""},
        {L"C:\\Apps\\console\\Vonu.app", L"C:\\Apps\\console\\Vonu.app", L""},
        {L"\\\\server\\share\\Vonu", L"\\\\server\\share\\Vonu", L""},
        {L"D:\\ڤونو", L"D:\\ڤونو", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed: " << c.typed);
        const FolderCheck got = CheckInstallFolder(c.typed, kLongest);
        EXPECT_EQ(got.ok, c.folder != nullptr);
        if (c.folder) {
            EXPECT_EQ(got.folder, c.folder);
        }
        EXPECT_TRUE(got.reason.starts_with(c.reasonStart)) << got.reason;
        EXPECT_EQ(got.reason.empty(), std::wstring_view(c.reasonStart).empty());
    }

    test::TempFolder temp;
    test::WriteBytes(temp.File(L"Vonu"), "a file, not a folder");
    const FolderCheck inTheWay = CheckInstallFolder(temp.File(L"Vonu"), kLongest);
    EXPECT_FALSE(inTheWay.ok);
    EXPECT_TRUE(inTheWay.reason.starts_with(L"A file of this name is in the way")) << inTheWay.reason;
    const FolderCheck existing = CheckInstallFolder(temp.path() + L"\\", kLongest);
    EXPECT_TRUE(existing.ok);
}

TEST(InstallFolder, BrowseAddsVonuOnceAndSpaceLinesUseTheirUnits) {
    EXPECT_EQ(WithVonuFolder(L"C:\\Tools"), L"C:\\Tools\\Vonu");
    EXPECT_EQ(WithVonuFolder(L"C:\\Tools\\"), L"C:\\Tools\\Vonu");
    EXPECT_EQ(WithVonuFolder(L"C:\\Tools\\vONu"), L"C:\\Tools\\vONu");
    EXPECT_EQ(WithVonuFolder(L"D:\\"), L"D:\\Vonu");

    EXPECT_EQ(SpaceText(3 * 1048576ull + 419430, false), L"3.4 MB");
    EXPECT_EQ(SpaceText(1073741823ull, false), L"1024.0 MB");
    EXPECT_EQ(SpaceText(1073741824ull * 3 / 2, false), L"1.5 GB");
    EXPECT_EQ(SpaceText(3 * 1048576ull + 419430, true), L"\u200F3.4 م.ب");
    EXPECT_EQ(SpaceText(1073741824ull * 3 / 2, true), L"\u200F1.5 ج.ب");

    test::TempFolder temp;
    // A folder that does not exist yet asks its nearest existing parent.
    EXPECT_TRUE(FreeSpaceFor(temp.path() + L"\\not\\yet\\there").has_value());
}

TEST(SetupTexts, ArabicRowsOnlyWithTheFlagAndNeverForTheEmptyText) {
    {
        test::LanguageScope arabic(true);
        EXPECT_STREQ(SetupText(L"Vonu Setup"), L"إعداد ڤونو");
        EXPECT_STREQ(SetupText(L"Close Vonu, then try again."), L"أغلق ڤونو ثم حاول مرة أخرى.");
        EXPECT_STREQ(SetupText(L""), L"");
        EXPECT_STREQ(SetupText(L"No such row"), L"No such row");
        EXPECT_NE(std::wstring(LicenceIntro()), L"");
        EXPECT_EQ(FillIn(SetupText(L"Version %s"), L"1.2.0"), L"الإصدار 1.2.0");
    }
    test::LanguageScope english(false);
    EXPECT_STREQ(SetupText(L"Vonu Setup"), L"Vonu Setup");
    EXPECT_STREQ(LicenceIntro(), L"");
}

TEST(Uninstaller, RemovesTheRecordedInstallationUnlessItIsTheInstalledUninstaller) {
    EXPECT_EQ(FolderToUninstall(L"C:\\Apps\\Vonu\\Uninstall.exe", L"D:\\Other\\Vonu"), L"C:\\Apps\\Vonu");
    EXPECT_EQ(FolderToUninstall(L"C:\\Apps\\Vonu\\UNINSTALL.EXE", L""), L"C:\\Apps\\Vonu");
    // Vonu-Setup.exe /uninstall from the Downloads folder never takes Downloads for the installation.
    EXPECT_EQ(FolderToUninstall(L"C:\\Users\\u\\Downloads\\Vonu-Setup.exe", L"C:\\Apps\\Vonu"), L"C:\\Apps\\Vonu");
    EXPECT_EQ(FolderToUninstall(L"C:\\Users\\u\\Downloads\\Vonu-Setup.exe", L""), L"");

    EXPECT_EQ(SelfDeleteCommand(L"C:\\windows\\system32", L"C:\\Temp\\Vonu-Uninstall.exe"),
              L"\"C:\\windows\\system32\\cmd.exe\" /c \"\"C:\\windows\\system32\\ping.exe\" 127.0.0.1 -n 3 > nul & "
              L"del /f /q \"C:\\Temp\\Vonu-Uninstall.exe\"\"");
}

TEST(CarriedFiles, ProgramFirstAndEveryFolderBeforeItsParent) {
    ASSERT_FALSE(CarriedFiles().empty());
    EXPECT_EQ(CarriedFiles().front().resource, 3000);
    EXPECT_STREQ(CarriedFiles().front().name, L"Vonu.exe");
    const std::vector<std::wstring> folders = SubfoldersOf(CarriedNames());
    for (const CarriedFile& f : CarriedFiles()) {
        const std::wstring name = f.name;
        const size_t slash = name.rfind(L'\\');
        if (slash != std::wstring::npos) {
            EXPECT_NE(std::find(folders.begin(), folders.end(), name.substr(0, slash)), folders.end()) << name;
        }
    }
    for (size_t i = 0; i < folders.size(); ++i)
        for (size_t j = i + 1; j < folders.size(); ++j)
            EXPECT_FALSE(folders[j].starts_with(folders[i] + L"\\")) << folders[j] << " comes after its parent " << folders[i];
    EXPECT_EQ(SubfoldersOf({L"Vonu.exe", L"extension\\manifest.json", L"extension\\_locales\\en\\messages.json",
                            L"extension\\_locales\\ar\\messages.json"}),
              (std::vector<std::wstring>{L"extension\\_locales\\en", L"extension\\_locales\\ar", L"extension\\_locales",
                                         L"extension"}));
    EXPECT_GE(LongestInstalledName(), std::wstring_view(L"Uninstall.exe.new").size());
}

}  // namespace
}  // namespace vonu
