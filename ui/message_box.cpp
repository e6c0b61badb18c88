#include "ui/message_box.h"

#include "l10n/language.h"
#include "l10n/localization.h"

namespace vonu {
namespace {

PCWSTR MainIcon(UINT type) {
    // MB_ICONWARNING (0x30) shares its bits with MB_ICONERROR (0x10): compare the whole field.
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return TD_ERROR_ICON;
        case MB_ICONWARNING:
            return TD_WARNING_ICON;
        default:
            return TD_INFORMATION_ICON;
    }
}

}  // namespace

TaskDialogFunction FindTaskDialog() {
    // The process's manifest picks the common controls version; both calls honour it.
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls) controls = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!controls) return nullptr;
    return reinterpret_cast<TaskDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")));
}

int ShowArabicMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type,
                         TaskDialogFunction taskDialog) {
    const wchar_t* content = Translate(text);
    const wchar_t* title = Translate(caption);
    const UINT buttons = type & MB_TYPEMASK;

    if (taskDialog) {
        // The No button carries IDCANCEL: a dialog with a cancel button closes with Escape and
        // its close box (Windows and Wine alike), and every such close reads as No below.
        static const TASKDIALOG_BUTTON kYesNo[] = {{IDYES, L"نعم"}, {IDCANCEL, L"لا"}};
        static const TASKDIALOG_BUTTON kOkCancel[] = {{IDOK, L"موافق"}, {IDCANCEL, L"إلغاء"}};
        static const TASKDIALOG_BUTTON kOk[] = {{IDOK, L"موافق"}};
        const TASKDIALOG_BUTTON* chosen = kOk;
        UINT count = 1;
        if (buttons == MB_YESNO) {
            chosen = kYesNo;
            count = 2;
        } else if (buttons == MB_OKCANCEL) {
            chosen = kOkCancel;
            count = 2;
        }

        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = owner;
        config.dwFlags = TDF_RTL_LAYOUT | TDF_POSITION_RELATIVE_TO_WINDOW;
        if (buttons != MB_YESNO) config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
        config.pszWindowTitle = title;
        config.pszMainIcon = MainIcon(type);
        config.pszContent = content;
        config.cButtons = count;
        config.pButtons = chosen;
        config.nDefaultButton = chosen[0].nButtonID;

        int pressed = 0;
        if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) {
            if (pressed == 0) pressed = IDCANCEL;
            if (pressed == IDCANCEL && buttons == MB_YESNO) return IDNO;
            if (pressed == IDCANCEL && buttons != MB_OKCANCEL) return IDOK;  // as MessageBoxW's MB_OK
            return pressed;
        }
    }
    return MessageBoxW(owner, content, title, type | MB_RIGHT | MB_RTLREADING);
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (!IsArabicInterface()) return MessageBoxW(owner, text, caption, type);
    return ShowArabicMessageBox(owner, text, caption, type, FindTaskDialog());
}

}  // namespace vonu
