#include "ui/browser_dialog.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <array>
#include <string>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/product_site.h"
#include "ui/resource.h"

namespace vonu {
namespace {

HostRegistration g_registration = nullptr;

struct BrowserRow {
    const wchar_t* name;  // shown as it is in every language
    const wchar_t* programFile;
    const wchar_t* pageCode;
};
constexpr std::array<BrowserRow, 4> kRows = {{
    {L"Google Chrome", L"chrome.exe", L"chrome"},
    {L"Microsoft Edge", L"msedge.exe", L"edge"},
    {L"Mozilla Firefox", L"firefox.exe", L"firefox"},
    {L"Brave", L"brave.exe", L"brave"},
}};

// The program paths found when the dialog opened, row by row (empty: not installed).
struct DialogState {
    std::array<std::wstring, kRows.size()> paths;
};

std::wstring AppPathValue(HKEY root, const std::wstring& programFile) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + programFile;
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return {};
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    std::erase(value, L'"');
    return value;
}

void ShowRows(HWND dialog, const DialogState& state) {
    for (size_t i = 0; i < kRows.size(); ++i) {
        const bool found = !state.paths[i].empty();
        const int row = static_cast<int>(i);
        SetDlgItemTextW(dialog, IDC_BI_LABEL + row, kRows[i].name);
        SetDlgItemTextW(dialog, IDC_BI_STATUS + row, Translate(found ? L"Installed on this PC" : L"Not found on this PC"));
        EnableWindow(GetDlgItem(dialog, IDC_BI_ADD + row), found);
    }
}

void AddExtension(HWND dialog, const DialogState& state, size_t row) {
    if (state.paths[row].empty()) return;
    const std::wstring parameter = L"\"" + ExtensionPageAddress(kRows[row].pageCode, IsArabicInterface()) + L"\"";
    // The page opens in that browser even when another one is the default.
    ShellExecuteW(dialog, L"open", state.paths[row].c_str(), parameter.c_str(), nullptr, SW_SHOWNORMAL);
}

void Repair(HWND dialog) {
    if (g_registration) g_registration();
    ShowMessageBox(dialog,
                   Translate(L"The connection to your browsers was set up again. Close the browser completely, "
                             L"then open it again."),
                   L"Browser integration", MB_OK | MB_ICONINFORMATION);
}

INT_PTR CALLBACK BrowserDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<DialogState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            for (size_t i = 0; i < kRows.size(); ++i) state->paths[i] = FindBrowser(kRows[i].programFile);
            LocalizeWindow(dialog);
            ShowRows(dialog, *state);
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id >= IDC_BI_ADD && id < IDC_BI_ADD + static_cast<int>(kRows.size())) {
                AddExtension(dialog, *state, static_cast<size_t>(id - IDC_BI_ADD));
                return TRUE;
            }
            if (id == IDC_BI_REPAIR) {
                Repair(dialog);
                return TRUE;
            }
            if (id == IDCANCEL || id == IDOK) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        }
    }
    return FALSE;
}

}  // namespace

void SetHostRegistration(HostRegistration registration) { g_registration = registration; }

void ShowBrowserIntegration(HWND owner) {
    DialogState state;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BROWSER_INTEGRATION), owner, BrowserDialogProc,
                    reinterpret_cast<LPARAM>(&state));
}

std::wstring FindBrowser(const std::wstring& programFile) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const std::wstring path = AppPathValue(root, programFile);
        if (!path.empty() && PathFileExistsW(path.c_str())) return path;
    }
    return {};
}

std::wstring ExtensionPageAddress(const std::wstring& pageCode, bool arabic) {
    return std::wstring(kProductSite) + L"/" + (arabic ? L"" : L"en/") + L"extension.html?b=" + pageCode;
}

}  // namespace vonu
