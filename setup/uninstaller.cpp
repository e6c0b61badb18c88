#include "setup/uninstaller.h"

#include <shellapi.h>

#include "browser/program_file.h"
#include "l10n/language.h"
#include "model/data_folder.h"
#include "model/text_case.h"
#include "setup/carried_files.h"
#include "setup/close_running.h"
#include "setup/install_folder.h"
#include "setup/setup_resource.h"
#include "setup/setup_ui.h"
#include "setup/uninstall_steps.h"

#include <knownfolders.h>

namespace vonu {
namespace {

constexpr wchar_t kTemporaryCopyName[] = L"Vonu-Uninstall.exe";

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Hands the work to a copy in the temporary folder. True when that copy started.
bool HandOverToTemporaryCopy(const std::wstring& self, const std::wstring& folder) {
    const std::wstring temp = TempFolder();
    if (temp.empty() || self.empty()) return false;
    const std::wstring copy = temp + kTemporaryCopyName;
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) return false;
    const std::wstring parameters = L"/uninstall /dir=\"" + folder + L"\"";
    const HINSTANCE started =
        ShellExecuteW(nullptr, L"open", copy.c_str(), parameters.c_str(), temp.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

void ScheduleSelfDeletion(const std::wstring& self) {
    const std::wstring system = SystemFolder();
    if (system.empty()) return;
    std::wstring command = SelfDeleteCommand(system, self);
    const std::wstring cmd = system + L"\\cmd.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(cmd.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       system.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

INT_PTR CALLBACK RemoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, 16, 16, 0);
        SendDlgItemMessageW(dialog, IDC_REMOVE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        LocalizeSetupDialog(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
        } else {
            EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_REMOVE_DATA) == BST_CHECKED ? 2 : 1);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

std::wstring FolderToUninstall(const std::wstring& ownPath, const std::wstring& recorded) {
    if (EqualsNoCase(FileNameOf(ownPath), kUninstallerName)) return FolderOfPath(ownPath);
    return recorded;
}

std::wstring SelfDeleteCommand(const std::wstring& systemFolder, const std::wstring& path) {
    // cmd.exe drops the first and the last double quote of a /c command that holds more than
    // two: the whole command is wrapped in one more pair so its own quotes survive.
    return L"\"" + systemFolder + L"\\cmd.exe\" /c \"\"" + systemFolder + L"\\ping.exe\" 127.0.0.1 -n 3 > nul & del /f /q \"" +
           path + L"\"\"";
}

int RunUninstaller(HINSTANCE instance, const SetupCommandLine& line) {
    const std::wstring self = UncutProgramPath();
    std::wstring folder;
    const std::wstring data = KnownFolderPath(FOLDERID_RoamingAppData) + L"\\Vonu";
    if (line.dir.empty()) {
        folder = FolderToUninstall(self, RecordedInstallFolder());
        if (!folder.empty() && HandOverToTemporaryCopy(self, folder)) return 0;
    } else {
        // Only a folder that passes the install checks is removed from: never a drive root or
        // a path Windows would read differently.
        const FolderCheck check = CheckInstallFolder(line.dir, 0);
        if (check.ok) folder = check.folder;
    }

    wchar_t language[16] = {};
    GetPrivateProfileStringW(L"Main", L"Language", L"", language, 16, (data + L"\\settings.ini").c_str());
    SetArabicInterface(ChooseArabicInterface(language, GetUserDefaultUILanguage()));

    if (folder.empty()) {
        ShowSetupMessage(nullptr, L"Vonu is not installed for this user.", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    const INT_PTR choice = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP_REMOVE), nullptr, RemoveProc, 0);
    if (choice <= 0) return 1;
    if (!CloseRunning(nullptr, false)) {
        ShowSetupMessage(nullptr, L"Close Vonu, then try again.", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    RemoveProgramFiles(folder, CarriedNames());
    RemoveRegistration(folder);
    if (choice == 2) RemoveOwnData(data);
    ShowSetupMessage(nullptr, L"Vonu was removed from your computer.", MB_OK | MB_ICONINFORMATION);

    const std::wstring temp = TempFolder();
    if (!temp.empty() && self.size() >= temp.size() &&
        EqualsNoCase(std::wstring_view(self).substr(0, temp.size()), temp))
        ScheduleSelfDeletion(self);
    return 0;
}

}  // namespace vonu
