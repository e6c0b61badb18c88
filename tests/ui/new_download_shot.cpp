// Test tool: starts the real Vonu.exe on the test desktop in English or Arabic and opens the
// add-from-address dialogs one after another, holding each on screen until told to go on, so
// new_download_screenshot.sh can take a picture of it: the address dialog with an address
// typed, New Download once the probe has reported, the queue chooser, the duplicate-link
// dialog and the file properties of a complete download.
//
//   new_download_shot.exe en|ar FOLDER
// For each step (address, new, chooser, duplicate, properties) writes FOLDER\STEP.ready
// when the dialog is up and waits for FOLDER\STEP.done (at most 60 s). Exits 0 when every
// dialog came up in the language's direction, 1 otherwise (the failing step on stderr).
#include <windows.h>

#include <cstdio>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/resource.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/test_servers.h"

using namespace vonu;
using namespace vonu::test;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Shots {
public:
    Shots(bool arabic, std::wstring folder) : arabic_(arabic), folder_(std::move(folder)) {}

    // Checks the dialog's direction, writes STEP.ready and waits for STEP.done.
    bool Hold(HWND dialog, const char* step) {
        if (!dialog) return Fail(step, "did not open");
        const bool rtl = (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        if (rtl != arabic_) return Fail(step, "has the wrong direction");
        Sleep(700);  // Wine's painting
        const std::wstring base = folder_ + L"\\" + std::wstring(step, step + strlen(step));
        HANDLE file =
            CreateFileW((base + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        WaitUntil(60000, [&] { return Exists(base + L".done"); });
        return true;
    }
    bool Fail(const char* step, const char* what) {
        std::fprintf(stderr, "%s: the dialog %s\n", step, what);
        return false;
    }

private:
    bool arabic_;
    std::wstring folder_;
};

std::wstring PropertiesTitle(const std::wstring& name) {
    std::wstring format = Translate(L"%s properties");
    const size_t at = format.find(L"%s");
    return at == std::wstring::npos ? format : format.replace(at, 2, name);
}

bool Run(DWORD pid, HWND window, Shots& shots) {
    auto dialog = [&](const wchar_t* title) { return WaitForProcessDialog(pid, Translate(title)); };
    PostMessageW(window, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
    HWND address = dialog(L"Add a download link");
    if (address) SetItemText(address, IDC_ADDRESS_EDIT, NginxUrl(L"/files/20mib.bin"));
    if (!shots.Hold(address, "address")) return false;
    ClickItem(address, IDOK);

    HWND added = dialog(L"New Download");
    if (added) {
        SetItemText(added, IDC_ND_DESCRIPTION, L"Test image");
        WaitUntil(15000,
                  [&] { return ItemText(added, IDC_ND_SIZE) != Translate(L"Getting file information..."); });
    }
    if (!shots.Hold(added, "new")) return false;
    ClickItem(added, IDC_ND_LATER);
    HWND chooser = dialog(L"Save for later");
    if (!shots.Hold(chooser, "chooser")) return false;
    ClickItem(chooser, IDCANCEL);
    WaitDialogGone(added);

    PostMessageW(window, WM_COMMAND, ID_TASKS_ADD_DOWNLOAD, 0);
    address = dialog(L"Add a download link");
    if (!address) return shots.Fail("duplicate", "address dialog did not open");
    SetItemText(address, IDC_ADDRESS_EDIT, L"https://releases.example.org/ubuntu-24.04-desktop-amd64.iso");
    ClickItem(address, IDOK);
    HWND duplicate = dialog(L"This link is already in the list");
    if (!shots.Hold(duplicate, "duplicate")) return false;
    ClickItem(duplicate, IDC_DUP_EXISTING);
    ClickItem(duplicate, IDOK);
    HWND properties = WaitForProcessDialog(pid, PropertiesTitle(L"ubuntu-24.04-desktop-amd64.iso"));
    if (!shots.Hold(properties, "properties")) return false;
    ClickItem(properties, IDCANCEL);
    WaitDialogGone(properties);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: new_download_shot.exe en|ar FOLDER\n");
        return 2;
    }
    const bool arabic = std::wstring(argv[1]) == L"ar";
    if (!Servers().ok || !MainWindows().empty()) {
        std::fprintf(stderr, "no test servers, or another Vonu runs in this prefix\n");
        return 1;
    }
    SetArabicInterface(arabic);
    SeedVonuData(SampleListText(), std::wstring(arabic ? L"Language=ar\r\n" : L"Language=en\r\n") +
                                       L"ShowProgress=0\r\nBaseDir=C:\\Downloads\r\n");
    Process vonu = StartVonu(L"");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    HWND list = nullptr;
    if (window) WaitUntil(10000, [&] { return (list = ChildOfClass(window, L"SysListView32")) != nullptr; });
    Shots shots(arabic, argv[2]);
    const bool ok = list && WaitUntil(10000, [&] { return ListViewRowCount(list) == 7; }) &&
                    Run(vonu.id(), window, shots);
    if (vonu.started()) ExitVonu(vonu, window);
    ClearVonuData();
    return ok ? 0 : 1;
}
