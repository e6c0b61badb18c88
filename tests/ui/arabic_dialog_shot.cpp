// Test tool: shows Vonu's Arabic interface on the desktop as the program does (right-to-left
// process layout, then the translated dialog or message box) and holds it there until told
// to close, so arabic_dialog_screenshot.sh can take a picture of the screen.
//
//   arabic_dialog_shot.exe dialog|messagebox READY_FILE DONE_FILE
// Writes READY_FILE once the window is painted, closes it when DONE_FILE exists (or after
// 30 s), and exits 0 when the window was Arabic and right to left, 1 otherwise.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "l10n/display_format.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "tests/support/dialog_template.h"

namespace {

std::wstring g_ready, g_done;
HWND g_dialog = nullptr;
bool g_readyWritten = false;
bool g_arabicAndMirrored = false;
ULONGLONG g_deadline = 0;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteReady() {
    HANDLE file = CreateFileW(g_ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    g_readyWritten = true;
}

bool ShowsArabicRightToLeft(HWND window, const wchar_t* title) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return std::wstring(text) == title && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

HWND ThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(p) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs inside whichever message loop is active: ours, or the message box's modal one.
void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND shown = g_dialog ? g_dialog : ThreadDialog();
    if (!shown) return;
    if (!g_readyWritten) {
        g_arabicAndMirrored = ShowsArabicRightToLeft(shown, g_dialog ? L"تحميل جديد" : L"حذف القائمة");
        RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        WriteReady();
        return;
    }
    if (!Exists(g_done) && GetTickCount64() < g_deadline) return;
    if (g_dialog) {
        DestroyWindow(g_dialog);
        g_dialog = nullptr;
        PostQuitMessage(0);
    } else {
        // The No button carries IDCANCEL; this is what Escape does.
        PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(shown, IDCANCEL)));
    }
}

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void ShowNewDownloadDialog(HINSTANCE instance) {
    const vonu::test::DialogTemplate form = vonu::test::NewDownloadTemplate();
    g_dialog = CreateDialogIndirectParamW(instance, form.get(), nullptr, DialogProc, 0);
    if (!g_dialog) return;
    vonu::LocalizeWindow(g_dialog);
    // Addresses and paths read left to right in Arabic too, as the real dialog keeps them.
    for (int id : {101, 105}) {
        HWND edit = GetDlgItem(g_dialog, id);
        SetWindowLongPtrW(
            edit, GWL_EXSTYLE,
            GetWindowLongPtrW(edit, GWL_EXSTYLE) & ~(WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT));
    }
    HWND category = GetDlgItem(g_dialog, 103);
    for (const wchar_t* name : {L"Compressed", L"General", L"Video"})
        SendMessageW(category, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(vonu::Translate(name)));
    SendMessageW(category, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(g_dialog, 107, vonu::SizeText(5'452'595).c_str());  // 5.20 MB, Arabic form
    ShowWindow(g_dialog, SW_SHOW);
    UpdateWindow(g_dialog);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 4) return 2;
    const std::wstring mode = argv[1];
    g_ready = argv[2];
    g_done = argv[3];
    LocalFree(argv);

    vonu::SetArabicInterface(true);
    SetProcessDefaultLayout(LAYOUT_RTL);  // as start-up does, before any window
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xC0FF};
    InitCommonControlsEx(&controls);
    g_deadline = GetTickCount64() + 30000;
    SetTimer(nullptr, 0, 200, OnTick);

    if (mode == L"messagebox") {
        const int answer =
            vonu::ShowMessageBox(nullptr, L"Delete this queue?\nIts files move to the default queue.",
                                 L"Delete queue", MB_YESNO | MB_ICONQUESTION);
        return g_arabicAndMirrored && answer == IDNO ? 0 : 1;
    }
    if (mode != L"dialog") return 2;
    ShowNewDownloadDialog(instance);
    if (!g_dialog) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (g_dialog && IsDialogMessageW(g_dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return g_arabicAndMirrored ? 0 : 1;
}
