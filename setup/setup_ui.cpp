#include "setup/setup_ui.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "l10n/language.h"
#include "setup/setup_texts.h"

namespace vonu {
namespace {

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

TaskDialogFunction FindTaskDialog() {
    // Already loaded by the manifest's common controls 6; looked up so an older one falls back.
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls) return nullptr;
    return reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")));
}

PCWSTR IconFor(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return TD_ERROR_ICON;
        case MB_ICONWARNING:
            return TD_WARNING_ICON;
        default:
            return TD_INFORMATION_ICON;
    }
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TranslateText(HWND window) {
    const std::wstring text = TextOf(window);
    const wchar_t* translated = SetupText(text.c_str());
    if (translated != text.c_str()) SetWindowTextW(window, translated);
}

}  // namespace

int ShowSetupMessage(HWND owner, const wchar_t* text, UINT type) {
    const bool arabic = IsArabicInterface();
    const wchar_t* content = SetupText(text);
    const wchar_t* title = SetupText(kSetupTitle);
    const UINT buttons = type & MB_TYPEMASK;
    if (TaskDialogFunction taskDialog = FindTaskDialog()) {
        // No carries IDCANCEL, so Escape and the close box work and read as No.
        const TASKDIALOG_BUTTON yesNo[] = {{IDYES, arabic ? L"نعم" : L"Yes"}, {IDCANCEL, arabic ? L"لا" : L"No"}};
        const TASKDIALOG_BUTTON okCancel[] = {{IDOK, SetupText(L"OK")}, {IDCANCEL, SetupText(L"Cancel")}};
        const TASKDIALOG_BUTTON ok[] = {{IDOK, SetupText(L"OK")}};
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = owner;
        config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW | (arabic ? TDF_RTL_LAYOUT : 0);
        if (buttons != MB_OK) config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
        config.pszWindowTitle = title;
        config.pszMainIcon = IconFor(type);
        config.pszContent = content;
        config.pButtons = buttons == MB_YESNO ? yesNo : buttons == MB_OKCANCEL ? okCancel : ok;
        config.cButtons = buttons == MB_YESNO || buttons == MB_OKCANCEL ? 2 : 1;
        config.nDefaultButton = config.pButtons[0].nButtonID;
        int pressed = 0;
        if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) {
            if (buttons == MB_YESNO) return pressed == IDYES ? IDYES : IDNO;
            if (buttons == MB_OKCANCEL) return pressed == IDOK ? IDOK : IDCANCEL;
            return IDOK;
        }
    }
    return MessageBoxW(owner, content, title, type | (arabic ? MB_RIGHT | MB_RTLREADING : 0));
}

void LocalizeSetupDialog(HWND dialog) {
    if (!IsArabicInterface() || !dialog) return;
    TranslateText(dialog);
    struct Placed {
        HWND child;
        RECT rect;
    };
    std::vector<Placed> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        children.push_back({child, rect});
    }
    SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    for (const Placed& p : children) {
        const std::wstring cls = ClassOf(p.child);
        if (lstrcmpiW(cls.c_str(), L"Button") == 0 || lstrcmpiW(cls.c_str(), L"Static") == 0) TranslateText(p.child);
        // In the mirrored parent the same coordinates count from the right edge.
        SetWindowPos(p.child, nullptr, p.rect.left, p.rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const bool nestedDialog = cls == L"#32770";
        const bool singleLineEdit =
            lstrcmpiW(cls.c_str(), L"Edit") == 0 && !(GetWindowLongPtrW(p.child, GWL_STYLE) & ES_MULTILINE);
        if (!nestedDialog && !singleLineEdit)
            SetWindowLongPtrW(p.child, GWL_EXSTYLE,
                              GetWindowLongPtrW(p.child, GWL_EXSTYLE) | WS_EX_LAYOUTRTL | WS_EX_RTLREADING);
    }
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace vonu
