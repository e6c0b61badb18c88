// Brings every window of the real Vonu-Setup.exe up in one language, for the screenshots
// of setup_wizard_screenshot.sh: the language dialog, the six wizard pages, the failure page,
// the remove dialog and its closing message. For each picture it writes PREFIX-NAME.ready
// holding the window's place ("WxH+X+Y") and waits for PREFIX-NAME.done.
//   setup_wizard_shot.exe en|ar INSTALL_FOLDER PREFIX
// The Installing page lasts a blink: its picture is taken with the install thread held
// (suspended) once it has reported its first file, and let go afterwards.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "setup/setup_resource.h"
#include "tests/setup/setup_driver.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace vonu::test;

std::wstring g_prefix;
bool g_arabic = false;

std::wstring Title() { return g_arabic ? L"إعداد ڤونو" : L"Vonu Setup"; }

bool Shot(HWND window, const wchar_t* name) {
    RECT r{};
    GetWindowRect(window, &r);
    char place[64];
    std::snprintf(place, sizeof place, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
    const std::wstring ready = g_prefix + L"-" + name + L".ready";
    const std::wstring done = g_prefix + L"-" + name + L".done";
    // Wine finishes painting a page a moment after it shows.
    Sleep(700);
    WriteBytes(ready, place);
    const bool taken = WaitUntil(60000, [&] { return FileExists(done); });
    if (!taken) std::fwprintf(stderr, L"%ls: no picture was taken\n", name);
    return taken;
}

std::set<DWORD> ThreadsOf(DWORD pid) {
    std::set<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid) threads.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

HWND StartAndChooseLanguage(Process& setup, bool shoot) {
    setup = StartProgram(SetupPath(), L"");
    HWND language = nullptr;
    // A first start in a busy prefix can take a while.
    WaitUntil(60000, [&] {
        language = FindDialog(setup.id(), L"Vonu Setup", IDC_LANGUAGE_LIST);
        if (!language) language = FindDialog(setup.id(), L"إعداد ڤونو", IDC_LANGUAGE_LIST);
        return language != nullptr;
    });
    if (!language) {
        std::fwprintf(stderr, L"no language dialog\n");
        return nullptr;
    }
    SendMessageW(GetDlgItem(language, IDC_LANGUAGE_LIST), LB_SETCURSEL, g_arabic ? 1 : 0, 0);
    if (shoot) Shot(language, L"language");
    ClickItem(language, IDOK);
    HWND frame = WaitForDialog(setup.id(), Title(), IDC_SETUP_NEXT, 60000);
    if (!frame) std::fwprintf(stderr, L"no wizard after the language dialog\n");
    return frame;
}

// Waits for the page, saying which one did not come.
bool Reached(HWND frame, int page) {
    if (WaitPage(frame, page, 60000)) return true;
    std::fwprintf(stderr, L"page %d did not come (page %d shows)\n", page, VisiblePage(frame));
    return false;
}

// Walks to the Options page with `folder` typed in, taking the pictures on the way if asked.
bool WalkToOptions(HWND frame, const std::wstring& folder, bool shoot) {
    if (!Reached(frame, 0)) return false;
    if (shoot) Shot(frame, L"welcome");
    ClickItem(frame, IDC_SETUP_NEXT);
    if (!Reached(frame, 1)) return false;
    ClickItem(Page(frame), IDC_LICENSE_ACCEPT);
    WaitUntil(3000, [&] { return Enabled(frame, IDC_SETUP_NEXT); });
    if (shoot) Shot(frame, L"license");
    ClickItem(frame, IDC_SETUP_NEXT);
    if (!Reached(frame, 2)) return false;
    SetItemText(Page(frame), IDC_FOLDER_EDIT, folder);
    if (shoot) Shot(frame, L"folder");
    ClickItem(frame, IDC_SETUP_NEXT);
    if (!Reached(frame, 3)) return false;
    if (shoot) Shot(frame, L"options");
    return true;
}

bool Finish(Process& setup, HWND frame) {
    SetChecked(Page(frame), IDC_FINISHED_RUN, false);
    SetChecked(Page(frame), IDC_FINISHED_EXTENSION, false);
    ClickItem(frame, IDC_SETUP_NEXT);
    return setup.WaitExit(20000);
}

int Run(const std::wstring& folder) {
    // 1. Every page up to Installing, held there for its picture.
    {
        Process setup;
        HWND frame = StartAndChooseLanguage(setup, true);
        if (!frame || !WalkToOptions(frame, folder, true)) return 2;
        const std::set<DWORD> before = ThreadsOf(setup.id());
        ClickItem(frame, IDC_SETUP_NEXT);
        std::vector<HANDLE> held;
        WaitUntil(20000, [&] {
            if (VisiblePage(frame) == 5) return true;
            if (VisiblePage(frame) != 4 || ItemText(Page(frame), IDC_INSTALL_STATUS).empty()) return false;
            for (DWORD id : ThreadsOf(setup.id()))
                if (!before.count(id))
                    if (HANDLE t = OpenThread(THREAD_SUSPEND_RESUME, FALSE, id)) {
                        SuspendThread(t);
                        held.push_back(t);
                    }
            return true;
        });
        if (VisiblePage(frame) == 4) {
            // Let the wizard paint the status line the held thread reported.
            Sleep(500);
            Shot(frame, L"installing");
        } else {
            std::fwprintf(stderr, L"installing: the installation ended before it could be held\n");
        }
        for (HANDLE t : held) {
            ResumeThread(t);
            CloseHandle(t);
        }
        if (!WaitPage(frame, 5, 60000)) return 3;
        Shot(frame, L"finished");
        if (!Finish(setup, frame)) return 4;
    }
    // 2. Over it again with a locked file: the failure page.
    {
        HANDLE hold = CreateFileW((folder + L"\\Vonu.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Process setup;
        HWND frame = StartAndChooseLanguage(setup, false);
        if (!frame || !WalkToOptions(frame, folder, false)) return 5;
        ClickItem(frame, IDC_SETUP_NEXT);
        if (!WaitPage(frame, 5, 60000)) return 6;
        Shot(frame, L"failed");
        Finish(setup, frame);
        CloseHandle(hold);
    }
    // 3. The uninstaller's dialog and its closing message.
    {
        Process uninstaller = StartProgram(folder + L"\\Uninstall.exe", L"/uninstall");
        HWND remove = WaitForDialog(0, g_arabic ? L"إزالة ڤونو" : L"Remove Vonu", IDC_REMOVE_DATA);
        if (!remove) return 7;
        Shot(remove, L"remove");
        // The data folder goes too, so the prefix is left as the setup tests expect it.
        SetChecked(remove, IDC_REMOVE_DATA, true);
        const DWORD copy = ProcessOf(remove);
        ClickItem(remove, IDOK);
        HWND message = nullptr;
        WaitUntil(30000, [&] { return (message = FindDialog(copy, Title(), IDOK)) != nullptr; });
        if (!message) return 8;
        Shot(message, L"removed");
        ClickItem(message, IDOK);
        // The copy ends before the next language's run starts its own setup.
        if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, copy)) {
            WaitForSingleObject(process, 30000);
            CloseHandle(process);
        }
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"setup_wizard_shot.exe en|ar INSTALL_FOLDER PREFIX\n");
        return 1;
    }
    g_arabic = std::wstring(argv[1]) == L"ar";
    g_prefix = argv[3];
    const int code = Run(argv[2]);
    if (code) std::fwprintf(stderr, L"setup_wizard_shot: stopped at step %d\n", code);
    return code;
}
