// The installation and removal steps on a real file system and registry. These tests write
// the user's Run value, host keys, uninstall entry, shortcuts and settings, so they run only
// in the fresh Wine prefix of run_setup_tests.sh, never in the shared one.
#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "browser/host_manifests.h"
#include "model/data_folder.h"
#include "model/run_entry.h"
#include "model/unique_handle.h"
#include "setup/close_running.h"
#include "setup/install_folder.h"
#include "setup/install_steps.h"
#include "setup/shortcuts.h"
#include "setup/uninstall_steps.h"
#include "tests/setup/setup_driver.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::FileExists;
using test::RegString;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

constexpr const wchar_t* kRunKey = kRunKeyPath;

DWORD RegNumber(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

void SetRegString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Small stand-ins for the carried files, kept alive for the views below.
struct Carried {
    std::vector<std::string> bytes;
    std::vector<FileToInstall> files;
    explicit Carried(const std::string& version) {
        bytes = {"MZ program " + version, "{\"manifest\": \"" + version + "\"}", "messages " + version};
        const wchar_t* names[] = {L"Vonu.exe", L"extension\\manifest.json", L"extension\\_locales\\en\\messages.json"};
        for (size_t i = 0; i < bytes.size(); ++i) files.push_back({names[i], bytes[i]});
    }
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> out;
        for (const FileToInstall& f : files) out.push_back(f.name);
        return out;
    }
};

struct Reports {
    std::vector<std::wstring> texts;
    std::vector<int> values;
    InstallProgress callback() {
        return [this](const std::wstring& text, int value) {
            texts.push_back(text);
            values.push_back(value);
        };
    }
};

std::vector<std::wstring> Leftovers(const std::wstring& folder) {
    std::vector<std::wstring> found;
    for (const wchar_t* name : {L"Vonu.exe", L"Uninstall.exe", L"extension\\manifest.json",
                                L"extension\\_locales\\en\\messages.json"})
        for (const wchar_t* suffix : {L".new", L".old"})
            if (FileExists(folder + L"\\" + name + suffix)) found.push_back(std::wstring(name) + suffix);
    return found;
}

class InstallSteps : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        folder_ = temp_.path() + L"\\Apps\\Vonu";
        setup_ = temp_.File(L"Vonu-Setup.exe");
        WriteBytes(setup_, "MZ setup program");
    }
    // What a case leaves in the user's registry and folders would mislead the next one.
    void TearDown() override {
        for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
            for (const std::wstring& link : ShortcutPaths(place)) DeleteFileW(link.c_str());
        (void)DeleteRunEntry();
        for (const HostKey& key : kHostKeys) RegDeleteTreeW(HKEY_CURRENT_USER, key.subKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        CoUninitialize();
    }

    TempFolder temp_;
    std::wstring folder_;
    std::wstring setup_;
};

TEST_F(InstallSteps, WritesEveryFileWholeAndReportsEachOne) {
    Carried v1("1");
    Reports reports;
    const InstallOutcome outcome = InstallProgramFiles(folder_, v1.files, setup_, reports.callback(), 0);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    for (size_t i = 0; i < v1.files.size(); ++i)
        EXPECT_EQ(ReadBytes(folder_ + L"\\" + v1.files[i].name), v1.bytes[i]) << v1.files[i].name;
    EXPECT_EQ(ReadBytes(folder_ + L"\\Uninstall.exe"), "MZ setup program");
    EXPECT_NE(ReadBytes(folder_ + L"\\com.vonu.downloader.json").find("Apps\\\\Vonu\\\\Vonu.exe"), std::string::npos);
    EXPECT_TRUE(FileExists(folder_ + L"\\com.vonu.downloader.firefox.json"));
    EXPECT_TRUE(Leftovers(folder_).empty());
    ASSERT_EQ(reports.texts.size(), 3u);
    EXPECT_EQ(reports.texts[2], L"Copying extension\\_locales\\en\\messages.json");
    EXPECT_EQ(reports.values.front(), 0);
    EXPECT_LT(reports.values.back(), 800);
    EXPECT_TRUE(std::is_sorted(reports.values.begin(), reports.values.end()));
}

TEST_F(InstallSteps, OverInstallReplacesOurFilesAndKeepsTheUsersOwn) {
    Carried v1("1"), v2("2");
    ASSERT_TRUE(InstallProgramFiles(folder_, v1.files, setup_, [](const std::wstring&, int) {}, 0).ok);
    WriteBytes(folder_ + L"\\my notes.txt", "mine");
    WriteBytes(folder_ + L"\\extension\\my-theme.css", "mine too");
    ASSERT_TRUE(InstallProgramFiles(folder_, v2.files, setup_, [](const std::wstring&, int) {}, 0).ok);
    for (size_t i = 0; i < v2.files.size(); ++i) EXPECT_EQ(ReadBytes(folder_ + L"\\" + v2.files[i].name), v2.bytes[i]);
    EXPECT_EQ(ReadBytes(folder_ + L"\\my notes.txt"), "mine");
    EXPECT_EQ(ReadBytes(folder_ + L"\\extension\\my-theme.css"), "mine too");
    EXPECT_TRUE(Leftovers(folder_).empty());
}

TEST_F(InstallSteps, AFileThatCannotBeReplacedFailsByNameAndChangesNothing) {
    Carried v1("1"), v2("2");
    ASSERT_TRUE(InstallProgramFiles(folder_, v1.files, setup_, [](const std::wstring&, int) {}, 0).ok);
    // The last file is held open without sharing, as a running program or scanner may.
    const std::wstring locked = folder_ + L"\\extension\\_locales\\en\\messages.json";
    FileHandle hold(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold);
    const InstallOutcome outcome = InstallProgramFiles(folder_, v2.files, setup_, [](const std::wstring&, int) {}, 0);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, L"Cannot write to the install folder\r\n" + locked);
    hold.reset();
    // Every earlier file too is still the old one: "Nothing was changed" is true.
    for (size_t i = 0; i < v1.files.size(); ++i) EXPECT_EQ(ReadBytes(folder_ + L"\\" + v1.files[i].name), v1.bytes[i]);
    EXPECT_TRUE(Leftovers(folder_).empty());
}

TEST_F(InstallSteps, AFolderThatCannotBeMadeFails) {
    Carried v1("1");
    WriteBytes(temp_.File(L"Apps"), "a file where the folder should go");
    const InstallOutcome outcome = InstallProgramFiles(folder_, v1.files, setup_, [](const std::wstring&, int) {}, 0);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, L"Cannot write to the install folder");
    // A folder where a carried file must go fails with that file's path.
    CreateDirectoryW(temp_.File(L"Other").c_str(), nullptr);
    CreateDirectoryW(temp_.File(L"Other\\Vonu.exe.new").c_str(), nullptr);
    WriteBytes(temp_.File(L"Other\\Vonu.exe.new\\x"), "x");
    const InstallOutcome blocked =
        InstallProgramFiles(temp_.File(L"Other"), v1.files, setup_, [](const std::wstring&, int) {}, 0);
    EXPECT_EQ(blocked.error, L"Cannot write to the install folder\r\n" + temp_.File(L"Other\\Vonu.exe"));
}

TEST_F(InstallSteps, UserPartsWriteTheEntryRunValueKeysLanguageAndShortcuts) {
    const std::wstring settings = DataFolder() + L"\\settings.ini";
    test::WriteUtf16File(settings, L"[Main]\r\nMaxConn=12\r\nLanguage=ar\r\n");
    SetRegString(kRunKey, L"Vonu", L"\"C:\\Old\\Vonu.exe\" /tray");
    Reports reports;
    InstallUserParts({folder_, true, true, true, false, 5 * 1024 * 1024 + 7}, reports.callback());

    EXPECT_EQ(reports.values, (std::vector<int>{850, 930, 1000}));
    EXPECT_EQ(RegString(kRunKey, L"Vonu"), L"\"" + folder_ + L"\\Vonu.exe\" /tray");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), L"Vonu Download Manager");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), L"1.2.0");
    EXPECT_EQ(RegString(kUninstallKey, L"Publisher"), L"Vonu");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayIcon"), folder_ + L"\\Vonu.exe");
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), folder_);
    EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), L"\"" + folder_ + L"\\Uninstall.exe\" /uninstall");
    EXPECT_EQ(RegString(kUninstallKey, L"URLInfoAbout"), L"https://vonu.app");
    EXPECT_EQ(RegString(kUninstallKey, L"HelpLink"), L"https://vonu.app");
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t today[16];
    _snwprintf(today, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(RegString(kUninstallKey, L"InstallDate"), today);
    EXPECT_EQ(RegNumber(kUninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(RegNumber(kUninstallKey, L"NoRepair"), 1u);
    EXPECT_EQ(RegNumber(kUninstallKey, L"EstimatedSize"), 5u * 1024u);
    EXPECT_EQ(RecordedInstallFolder(), folder_);
    for (const HostKey& key : kHostKeys) {
        SCOPED_TRACE(testing::Message() << key.subKey);
        const std::wstring manifest = folder_ + L"\\" + (key.firefox ? kFirefoxManifestFile : kChromiumManifestFile);
        if (key.chromiumBrowser)
            EXPECT_EQ(RegString(key.subKey, nullptr), L"(none)");  // left to the program's first start
        else
            EXPECT_EQ(RegString(key.subKey, nullptr), manifest);
    }
    const std::wstring text = test::Utf16FileText(settings);
    EXPECT_NE(text.find(L"MaxConn=12"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"Language=en"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"Language=ar"), std::wstring::npos) << text;
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs}) {
        const std::vector<std::wstring> links = ShortcutPaths(place);
        ASSERT_EQ(links.size(), 2u);
        EXPECT_EQ(ShortcutTarget(links[0]), folder_ + L"\\Vonu.exe") << links[0];
        EXPECT_FALSE(FileExists(links[1])) << links[1];
    }

    // In Arabic, without the desktop shortcut and autorun: the English names go, the Arabic
    // Start menu one comes, and the Run value is deleted.
    InstallUserParts({folder_, false, true, false, true, 1024}, [](const std::wstring&, int) {});
    EXPECT_EQ(RegString(kRunKey, L"Vonu"), L"(none)");
    for (const std::wstring& link : ShortcutPaths(ShortcutPlace::Desktop)) EXPECT_FALSE(FileExists(link)) << link;
    const std::vector<std::wstring> programs = ShortcutPaths(ShortcutPlace::Programs);
    EXPECT_FALSE(FileExists(programs[0]));
    EXPECT_EQ(ShortcutTarget(programs[1]), folder_ + L"\\Vonu.exe");
    EXPECT_NE(test::Utf16FileText(settings).find(L"Language=ar"), std::wstring::npos);
}

TEST_F(InstallSteps, NewSettingsFileIsUtf16WithOnlyTheLanguage) {
    const std::wstring data = temp_.File(L"data");
    RecordLanguage(data, true);
    EXPECT_EQ(test::Utf16FileText(data + L"\\settings.ini"), L"[Main]\r\nLanguage=ar\r\n");
}

TEST_F(InstallSteps, UninstallRemovesOnlyWhatLeadsIntoTheFolder) {
    Carried v1("1");
    ASSERT_TRUE(InstallProgramFiles(folder_, v1.files, setup_, [](const std::wstring&, int) {}, 0).ok);
    InstallUserParts({folder_, true, true, true, false, 1024}, [](const std::wstring&, int) {});
    RemoveProgramFiles(folder_, v1.names());
    RemoveRegistration(folder_);
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_EQ(RegString(kRunKey, L"Vonu"), L"(none)");
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), L"(none)");
    for (const HostKey& key : kHostKeys) EXPECT_EQ(RegString(key.subKey, nullptr), L"(none)") << key.subKey;
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
        for (const std::wstring& link : ShortcutPaths(place)) EXPECT_FALSE(FileExists(link)) << link;

    // Installed again, with a file of the user's inside, while another copy holds the Run
    // value, the host keys and the desktop shortcut: those stay, and so do the folder and file.
    ASSERT_TRUE(InstallProgramFiles(folder_, v1.files, setup_, [](const std::wstring&, int) {}, 0).ok);
    InstallUserParts({folder_, true, true, false, false, 1024}, [](const std::wstring&, int) {});
    WriteBytes(folder_ + L"\\my notes.txt", "mine");
    const std::wstring other = temp_.File(L"Other\\Vonu");
    SetRegString(kRunKey, L"Vonu", RunEntryCommand(other + L"\\Vonu.exe"));
    for (const HostKey& key : kHostKeys) SetRegString(key.subKey, nullptr, other + L"\\" + kChromiumManifestFile);
    ASSERT_TRUE(CreateShortcut(ShortcutPlace::Desktop, other, false));
    RemoveProgramFiles(folder_, v1.names());
    RemoveRegistration(folder_);
    EXPECT_EQ(ReadBytes(folder_ + L"\\my notes.txt"), "mine");
    EXPECT_FALSE(FileExists(folder_ + L"\\Vonu.exe"));
    EXPECT_FALSE(FileExists(folder_ + L"\\Uninstall.exe"));
    EXPECT_FALSE(FileExists(folder_ + L"\\extension"));
    EXPECT_FALSE(FileExists(folder_ + L"\\com.vonu.downloader.json"));
    EXPECT_EQ(RegString(kRunKey, L"Vonu"), RunEntryCommand(other + L"\\Vonu.exe"));
    for (const HostKey& key : kHostKeys)
        EXPECT_EQ(RegString(key.subKey, nullptr), other + L"\\" + kChromiumManifestFile) << key.subKey;
    EXPECT_EQ(ShortcutTarget(ShortcutPaths(ShortcutPlace::Desktop)[0]), other + L"\\Vonu.exe");
    EXPECT_FALSE(FileExists(ShortcutPaths(ShortcutPlace::Programs)[0]));
}

TEST_F(InstallSteps, RemovingDataTakesOnlyTheProgramsOwnFiles) {
    const std::wstring data = temp_.File(L"Vonu");
    CreateDirectoryW(data.c_str(), nullptr);
    for (const wchar_t* name : {L"settings.ini", L"list.ini", L"list.ini.tmp", L"list.ini.unreadable", L"categories.ini",
                                L"logins.ini", L"logins.ini.tmp"})
        WriteBytes(data + L"\\" + name, "state");
    CreateDirectoryW((data + L"\\Downloads").c_str(), nullptr);
    WriteBytes(data + L"\\Downloads\\film.mkv", "a download the user keeps here");
    WriteBytes(data + L"\\notes.txt", "the user's");
    RemoveOwnData(data);
    EXPECT_FALSE(FileExists(data + L"\\settings.ini"));
    EXPECT_FALSE(FileExists(data + L"\\list.ini.unreadable"));
    EXPECT_FALSE(FileExists(data + L"\\logins.ini.tmp"));
    EXPECT_EQ(ReadBytes(data + L"\\Downloads\\film.mkv"), "a download the user keeps here");
    EXPECT_EQ(ReadBytes(data + L"\\notes.txt"), "the user's");

    test::RemoveTree(data + L"\\Downloads");
    DeleteFileW((data + L"\\notes.txt").c_str());
    WriteBytes(data + L"\\settings.ini", "state");
    RemoveOwnData(data);
    EXPECT_FALSE(FileExists(data));
}

// The stand-in main window (stubborn_vonu_standin.cpp): obeys the Exit command, or ignores it.
TEST(CloseRunning, WaitsForTheProgramToEndAndGivesUpOnOneThatStays) {
    const std::wstring standIn = test::VonuExePath().substr(0, test::VonuExePath().rfind(L'\\')) +
                                 L"\\stubborn_vonu_standin.exe";
    EXPECT_EQ(FindVonuWindow(), nullptr);
    EXPECT_TRUE(CloseRunning(nullptr, false, 2000));  // nothing runs

    test::Process obedient = test::StartProgram(standIn, L"obey");
    ASSERT_TRUE(test::WaitUntil(10000, [] { return FindVonuWindow() != nullptr; }));
    EXPECT_TRUE(CloseRunning(nullptr, false, 10000));
    EXPECT_TRUE(obedient.WaitExit(0));

    test::Process stubborn = test::StartProgram(standIn, L"ignore");
    ASSERT_TRUE(test::WaitUntil(10000, [] { return FindVonuWindow() != nullptr; }));
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(CloseRunning(nullptr, false, 1500));
    EXPECT_GE(GetTickCount64() - start, 1400u);
    EXPECT_FALSE(stubborn.WaitExit(0));
    stubborn.Kill();
}

}  // namespace
}  // namespace vonu
