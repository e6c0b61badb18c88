// The real Vonu-Setup.exe driven from this process as a user would: the language dialog,
// every page of the wizard, an install, an over-install while the installed Vonu runs, an
// over-install that fails on a locked file, and the installed uninstaller. Runs in the fresh
// prefix of setup_prefix.sh, where nothing but these steps has written the user's registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "app/version_repair.h"
#include "browser/host_manifests.h"
#include "model/data_folder.h"
#include "model/run_entry.h"
#include "model/text_case.h"
#include "model/unique_handle.h"
#include "setup/carried_files.h"
#include "setup/close_running.h"
#include "setup/install_folder.h"
#include "setup/setup_resource.h"
#include "setup/shortcuts.h"
#include "tests/setup/setup_driver.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_helpers.h"

namespace vonu {
namespace {

using test::ClickItem;
using test::ControlText;
using test::FileExists;
using test::ItemChecked;
using test::ItemText;
using test::ReadBytes;
using test::WaitUntil;
using namespace vonu::test;

std::wstring ImageOf(DWORD pid) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
    return path;
}

// Where the build keeps the bytes of a carried file.
std::wstring BuildCopyOf(const std::wstring& name) {
    if (name == L"Vonu.exe") return ProgramFolder() + L"\\Vonu.exe";
    return std::wstring(VONU_EXTENSION_SOURCE) + name.substr(std::wstring_view(L"extension").size());
}

struct WizardRun {
    test::Process setup;
    HWND frame = nullptr;
    // A failed step leaves no setup behind for the next one.
    ~WizardRun() { setup.Kill(); }
};

// Starts setup, takes English in the language dialog and walks to the Options page with
// `folder` typed in. Checks every page on the way.
void WalkToOptions(WizardRun& run, const std::wstring& folder, const std::wstring& proposed) {
    run.setup = test::StartProgram(SetupPath(), L"");
    const DWORD pid = run.setup.id();
    // The dialog speaks the language settings.ini holds from an earlier installation.
    HWND language = nullptr;
    WaitUntil(20000, [&] {
        language = FindDialog(pid, L"Vonu Setup", IDC_LANGUAGE_LIST);
        if (!language) language = FindDialog(pid, L"إعداد ڤونو", IDC_LANGUAGE_LIST);
        return language != nullptr;
    });
    ASSERT_NE(language, nullptr);
    SendMessageW(GetDlgItem(language, IDC_LANGUAGE_LIST), LB_SETCURSEL, 0, 0);
    ClickItem(language, IDOK);

    HWND frame = run.frame = WaitForDialog(pid, L"Vonu Setup", IDC_SETUP_NEXT);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitPage(frame, 0));
    EXPECT_NE(ItemText(Page(frame), IDC_WELCOME_TEXT).find(L"Vonu Download Manager 1.2.0"), std::wstring::npos);
    EXPECT_FALSE(Shown(frame, IDC_SETUP_BACK));
    EXPECT_EQ(ItemText(frame, IDC_SETUP_NEXT), L"Next >");
    ClickItem(frame, IDC_SETUP_NEXT);

    ASSERT_TRUE(WaitPage(frame, 1));
    HWND license = Page(frame);
    EXPECT_TRUE(Shown(frame, IDC_SETUP_BACK));
    EXPECT_TRUE(ItemChecked(license, IDC_LICENSE_DECLINE));
    EXPECT_FALSE(Enabled(frame, IDC_SETUP_NEXT));
    EXPECT_FALSE(ItemText(license, IDC_LICENSE_TEXT).empty());
    ClickItem(license, IDC_LICENSE_ACCEPT);
    EXPECT_TRUE(WaitUntil(3000, [&] { return Enabled(frame, IDC_SETUP_NEXT); }));
    ClickItem(frame, IDC_SETUP_NEXT);

    ASSERT_TRUE(WaitPage(frame, 2));
    HWND folderPage = Page(frame);
    EXPECT_EQ(ItemText(folderPage, IDC_FOLDER_EDIT), proposed);
    // The space lines are filled as the page shows.
    for (int line : {IDC_FOLDER_NEEDED, IDC_FOLDER_FREE})
        EXPECT_TRUE(WaitUntil(3000, [&] {
            const std::wstring text = ItemText(folderPage, line);
            return text.starts_with(L"Space needed: ") || text.starts_with(L"Space free: ");
        })) << "line " << line << ": " << ItemText(folderPage, line) << " for " << ItemText(folderPage, IDC_FOLDER_EDIT);
    // A folder relative to the drive's current folder is refused with its reason.
    test::SetItemText(folderPage, IDC_FOLDER_EDIT, L"C:foo");
    ClickItem(frame, IDC_SETUP_NEXT);
    const std::wstring refused = AnswerMessage(pid, L"Vonu Setup", IDOK);
    EXPECT_NE(refused.find(L"Choose a folder for Vonu."), std::wstring::npos) << refused;
    EXPECT_NE(refused.find(L"Type the full path"), std::wstring::npos) << refused;
    EXPECT_EQ(VisiblePage(frame), 2);
    test::SetItemText(folderPage, IDC_FOLDER_EDIT, folder + L"\\ ");
    ClickItem(frame, IDC_SETUP_NEXT);

    ASSERT_TRUE(WaitPage(frame, 3));
    HWND options = Page(frame);
    EXPECT_EQ(ItemText(frame, IDC_SETUP_NEXT), L"Install");
    for (int id : {IDC_OPTIONS_DESKTOP, IDC_OPTIONS_STARTMENU, IDC_OPTIONS_AUTORUN}) EXPECT_TRUE(ItemChecked(options, id));
}

// On the Finished page: ticks "Run Vonu now" as asked, never the extension page (it would
// open a web site), clicks Finish and waits for setup to end with 0.
void Finish(WizardRun& run, bool runVonu) {
    HWND finished = Page(run.frame);
    SetChecked(finished, IDC_FINISHED_RUN, runVonu);
    SetChecked(finished, IDC_FINISHED_EXTENSION, false);
    EXPECT_FALSE(Shown(run.frame, IDC_SETUP_BACK));
    EXPECT_FALSE(Shown(run.frame, IDCANCEL));
    EXPECT_EQ(ItemText(run.frame, IDC_SETUP_NEXT), L"Finish");
    ClickItem(run.frame, IDC_SETUP_NEXT);
    DWORD code = 99;
    EXPECT_TRUE(run.setup.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

HWND WaitForInstalledVonu(const std::wstring& folder) {
    HWND found = nullptr;
    WaitUntil(30000, [&] {
        found = FindVonuWindow();
        return found && EqualsNoCase(ImageOf(ProcessOf(found)), folder + L"\\Vonu.exe");
    });
    return found && EqualsNoCase(ImageOf(ProcessOf(found)), folder + L"\\Vonu.exe") ? found : nullptr;
}

TEST(SetupWizard, InstallsOverInstallsFailsByNameAndUninstalls) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    test::TempFolder temp;
    const std::wstring folder = temp.path() + L"\\My Apps\\Vonu";
    const std::wstring data = DataFolder();
    ASSERT_EQ(RecordedInstallFolder(), L"") << "the prefix is not fresh";

    // --- A first install, through every page.
    {
        WizardRun run;
        EXPECT_TRUE(CheckInstallFolder(DefaultInstallFolder(), LongestInstalledName()).ok) << DefaultInstallFolder();
        WalkToOptions(run, folder, DefaultInstallFolder());
        if (HasFatalFailure()) return;
        ClickItem(run.frame, IDC_SETUP_NEXT);  // Install
        ASSERT_TRUE(WaitPage(run.frame, 5, 60000));
        EXPECT_EQ(ItemText(Page(run.frame), IDC_FINISHED_TITLE), L"Vonu is installed");

        for (const std::wstring& name : CarriedNames()) {
            SCOPED_TRACE(testing::Message() << name);
            const std::string installed = ReadBytes(folder + L"\\" + name);
            EXPECT_FALSE(installed.empty());
            EXPECT_TRUE(installed == ReadBytes(BuildCopyOf(name)));
        }
        EXPECT_TRUE(ReadBytes(folder + L"\\Uninstall.exe") == ReadBytes(SetupPath()));
        EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), folder);
        EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\Uninstall.exe\" /uninstall");
        EXPECT_EQ(RegString(kUninstallKey, L"DisplayIcon"), folder + L"\\Vonu.exe");
        EXPECT_EQ(RegString(kRunKeyPath, kRunValueName), L"\"" + folder + L"\\Vonu.exe\" /tray");
        for (const HostKey& key : kHostKeys) {
            SCOPED_TRACE(testing::Message() << key.subKey);
            if (key.chromiumBrowser) continue;  // written by the program's own first start
            const std::wstring manifest = folder + L"\\" + (key.firefox ? kFirefoxManifestFile : kChromiumManifestFile);
            EXPECT_EQ(RegString(key.subKey, nullptr), manifest);
            EXPECT_TRUE(FileExists(manifest));
        }
        for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
            EXPECT_EQ(ShortcutTarget(ShortcutPaths(place)[0]), folder + L"\\Vonu.exe");
        EXPECT_NE(test::Utf16FileText(data + L"\\settings.ini").find(L"Language=en"), std::wstring::npos);
        Finish(run, true);
    }
    HWND vonu = WaitForInstalledVonu(folder);
    ASSERT_NE(vonu, nullptr) << "Vonu did not start from the install folder";
    test::Process installedVonu(PROCESS_INFORMATION{OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(vonu)), nullptr,
                                                    ProcessOf(vonu), 0});

    // --- Over the running installation: the previous folder is proposed, Vonu is closed
    // first, and a file of the user's in the folder stays.
    test::WriteBytes(folder + L"\\my notes.txt", "mine");
    {
        WizardRun run;
        WalkToOptions(run, folder, folder);
        if (HasFatalFailure()) return;
        SetChecked(Page(run.frame), IDC_OPTIONS_DESKTOP, false);
        SetChecked(Page(run.frame), IDC_OPTIONS_AUTORUN, false);
        ClickItem(run.frame, IDC_SETUP_NEXT);
        const std::wstring asked = AnswerMessage(run.setup.id(), L"Vonu Setup", IDOK);
        EXPECT_NE(asked.find(L"Vonu is running. Setup will close it to continue."), std::wstring::npos) << asked;
        ASSERT_TRUE(WaitPage(run.frame, 5, 60000));
        EXPECT_TRUE(installedVonu.WaitExit(0)) << "setup installed while Vonu still ran";
        EXPECT_EQ(ReadBytes(folder + L"\\my notes.txt"), "mine");
        EXPECT_EQ(RegString(kRunKeyPath, kRunValueName), L"(none)");
        EXPECT_FALSE(FileExists(ShortcutPaths(ShortcutPlace::Desktop)[0]));
        EXPECT_EQ(ShortcutTarget(ShortcutPaths(ShortcutPlace::Programs)[0]), folder + L"\\Vonu.exe");
        Finish(run, false);
    }

    // --- A carried file held open without sharing: the failure page names it, and Finish
    // starts nothing.
    {
        const std::wstring locked = folder + L"\\" + CarriedNames().back();
        const std::string before = ReadBytes(folder + L"\\Vonu.exe");
        FileHandle hold(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        WizardRun run;
        WalkToOptions(run, folder, folder);
        if (HasFatalFailure()) return;
        ClickItem(run.frame, IDC_SETUP_NEXT);
        ASSERT_TRUE(WaitPage(run.frame, 5, 60000));
        HWND finished = Page(run.frame);
        EXPECT_EQ(ItemText(finished, IDC_FINISHED_TITLE), L"Setup could not finish");
        const std::wstring text = ItemText(finished, IDC_FINISHED_TEXT);
        EXPECT_NE(text.find(L"Cannot write to the install folder\r\n" + locked), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"Nothing was changed."), std::wstring::npos) << text;
        EXPECT_FALSE(Shown(finished, IDC_FINISHED_RUN));
        EXPECT_FALSE(Shown(finished, IDC_FINISHED_EXTENSION));
        ClickItem(run.frame, IDC_SETUP_NEXT);
        DWORD code = 99;
        EXPECT_TRUE(run.setup.WaitExit(20000, &code));
        EXPECT_EQ(code, 0u);
        hold.reset();
        EXPECT_TRUE(ReadBytes(folder + L"\\Vonu.exe") == before);
        Sleep(2000);
        EXPECT_EQ(FindVonuWindow(), nullptr) << "Finish after a failure started Vonu";
    }

    // --- A folder setup cannot write into (here a folder stands where its check file goes):
    // it asks for administrator rights, and No keeps the wizard on the Options page.
    {
        const std::wstring blocked = temp.path() + L"\\Blocked\\Vonu";
        CreateDirectoryW((temp.path() + L"\\Blocked").c_str(), nullptr);
        CreateDirectoryW(blocked.c_str(), nullptr);
        CreateDirectoryW((blocked + L"\\vonu-setup-check.tmp").c_str(), nullptr);
        test::WriteBytes(blocked + L"\\vonu-setup-check.tmp\\x", "x");
        WizardRun run;
        WalkToOptions(run, blocked, folder);
        if (HasFatalFailure()) return;
        ClickItem(run.frame, IDC_SETUP_NEXT);
        // Yes/No: No is the dialog's cancel button, so Escape and the close box answer No too.
        const std::wstring asked = AnswerMessage(run.setup.id(), L"Vonu Setup", IDCANCEL);
        EXPECT_NE(asked.find(L"Setup needs administrator rights to install in this folder. Continue?"), std::wstring::npos)
            << asked;
        EXPECT_EQ(VisiblePage(run.frame), 3);
        EXPECT_FALSE(FileExists(blocked + L"\\Vonu.exe"));
        ClickItem(run.frame, IDCANCEL);
        const std::wstring sure = AnswerMessage(run.setup.id(), L"Vonu Setup", IDYES);
        EXPECT_NE(sure.find(L"Are you sure you want to cancel setup?"), std::wstring::npos) << sure;
        DWORD code = 99;
        EXPECT_TRUE(run.setup.WaitExit(20000, &code));
        EXPECT_EQ(code, 0u);
    }

    // --- The installed uninstaller, as the uninstall entry starts it: it hands over to its
    // copy in the temporary folder, which removes the installation and then itself.
    {
        test::Process uninstaller = test::StartProgram(folder + L"\\Uninstall.exe", L"/uninstall");
        DWORD code = 99;
        EXPECT_TRUE(uninstaller.WaitExit(20000, &code));
        EXPECT_EQ(code, 0u);
        HWND remove = WaitForDialog(0, L"Remove Vonu", IDC_REMOVE_DATA);
        ASSERT_NE(remove, nullptr);
        const std::wstring copy = ImageOf(ProcessOf(remove));
        EXPECT_TRUE(copy.ends_with(L"\\Vonu-Uninstall.exe")) << copy;
        EXPECT_FALSE(ItemChecked(remove, IDC_REMOVE_DATA));
        ClickItem(remove, IDOK);
        const std::wstring removed = AnswerMessage(ProcessOf(remove), L"Vonu Setup", IDOK);
        EXPECT_NE(removed.find(L"Vonu was removed from your computer."), std::wstring::npos) << removed;

        for (const std::wstring& name : CarriedNames()) EXPECT_FALSE(FileExists(folder + L"\\" + name)) << name;
        for (const wchar_t* name : {L"Uninstall.exe", L"com.vonu.downloader.json", L"com.vonu.downloader.firefox.json"})
            EXPECT_FALSE(FileExists(folder + L"\\" + name)) << name;
        EXPECT_EQ(ReadBytes(folder + L"\\my notes.txt"), "mine");
        EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), L"(none)");
        for (const HostKey& key : kHostKeys) EXPECT_EQ(RegString(key.subKey, nullptr), L"(none)") << key.subKey;
        for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
            for (const std::wstring& link : ShortcutPaths(place)) EXPECT_FALSE(FileExists(link)) << link;
        // The data folder stays unless asked.
        EXPECT_TRUE(FileExists(data + L"\\settings.ini"));
        EXPECT_TRUE(WaitUntil(20000, [&] { return !FileExists(copy); })) << copy << " was not deleted";
    }
    CoUninitialize();
}


// The copy the wizard starts with "runas" when the folder needs administrator rights: no
// language dialog, the folder checked again, only the files written (the waiting wizard of
// the user writes the user's parts), and an exit code that says how it went.
TEST(SetupWizard, ElevatedCopyChecksItsFolderAndWritesOnlyTheFiles) {
    test::TempFolder temp;
    const std::wstring folder = temp.path() + L"\\Admin Apps\\Vonu";
    const std::wstring recorded = RecordedInstallFolder();
    {
        // A folder relative to a drive's current folder would land elsewhere from System32.
        test::Process setup = test::StartProgram(SetupPath(), L"/elevated /lang=ar /dir=\"C:foo\" /desktop=1");
        const std::wstring told = AnswerMessage(setup.id(), L"إعداد ڤونو", IDOK);
        EXPECT_NE(told.find(L"اختر مجلدًا لڤونو."), std::wstring::npos) << told;
        DWORD code = 99;
        EXPECT_TRUE(setup.WaitExit(20000, &code));
        EXPECT_EQ(code, 3u);
        setup.Kill();
    }
    test::Process setup = test::StartProgram(
        SetupPath(), L"/elevated /lang=ar /dir=\"" + folder + L"\" /desktop=0 /startmenu=1 /autorun=0");
    DWORD code = 99;
    EXPECT_TRUE(setup.WaitExit(60000, &code));
    EXPECT_EQ(code, 0u);
    setup.Kill();
    for (const std::wstring& name : CarriedNames()) {
        SCOPED_TRACE(testing::Message() << name);
        EXPECT_TRUE(ReadBytes(folder + L"\\" + name) == ReadBytes(BuildCopyOf(name)));
    }
    EXPECT_TRUE(ReadBytes(folder + L"\\Uninstall.exe") == ReadBytes(SetupPath()));
    EXPECT_TRUE(FileExists(folder + L"\\" + kChromiumManifestFile));
    // Nothing of the user's: no entry for this folder, no Run value, no shortcut into it.
    EXPECT_EQ(RecordedInstallFolder(), recorded);
    EXPECT_EQ(RegString(kRunKeyPath, kRunValueName).find(folder), std::wstring::npos);
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
        for (const std::wstring& link : ShortcutPaths(place))
            EXPECT_FALSE(PathIsInFolder(ShortcutTarget(link), folder)) << link;
}

}  // namespace
}  // namespace vonu
