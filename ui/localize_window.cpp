#include "ui/localize_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "l10n/language.h"
#include "l10n/localization.h"

namespace vonu {
namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool ClassIs(HWND window, const wchar_t* name) { return lstrcmpiW(ClassOf(window).c_str(), name) == 0; }

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

void TranslateTitle(HWND window) {
    const std::wstring text = TextOf(window);
    if (text.empty()) return;
    const wchar_t* translated = Translate(text.c_str());
    if (translated != text.c_str()) SetWindowTextW(window, translated);
}

void AddExStyle(HWND window, LONG_PTR bits) {
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | bits);
}

void ApplyFrameChange(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<HWND> DirectChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

}  // namespace

void MirrorWindow(HWND window) {
    if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) return;

    struct Placed {
        HWND child;
        RECT rect;
    };
    std::vector<Placed> placed;
    for (HWND child : DirectChildren(window)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        placed.push_back({child, rect});
    }

    AddExStyle(window, WS_EX_LAYOUTRTL);
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) ApplyFrameChange(window);

    // In the mirrored parent the same coordinates count from the right edge.
    for (const Placed& p : placed) {
        SetWindowPos(p.child, nullptr, p.rect.left, p.rect.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (!ClassIs(p.child, L"#32770") && !ClassIs(p.child, L"SysDateTimePick32"))
            AddExStyle(p.child, WS_EX_LAYOUTRTL);
        if (ClassIs(p.child, L"SysListView32")) {
            if (HWND header = reinterpret_cast<HWND>(SendMessageW(p.child, LVM_GETHEADER, 0, 0)))
                AddExStyle(header, WS_EX_LAYOUTRTL);
            ApplyFrameChange(p.child);
        }
        InvalidateRect(p.child, nullptr, TRUE);
    }
    InvalidateRect(window, nullptr, TRUE);
}

void LocalizeWindow(HWND window) {
    if (!IsArabicInterface() || !window) return;
    MirrorWindow(window);
    TranslateTitle(window);
    for (HWND child : DirectChildren(window)) {
        if (!ClassIs(child, L"Button") && !ClassIs(child, L"Static")) continue;
        TranslateTitle(child);
        AddExStyle(child, WS_EX_RTLREADING);
    }
}

void LocalizeMenu(HMENU menu) {
    if (!IsArabicInterface() || !menu) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        HMENU submenu = info.hSubMenu;
        if (!(info.fType & MFT_SEPARATOR) && info.cch > 0) {
            std::wstring text(info.cch + 1, L'\0');
            info.fMask = MIIM_STRING;
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
                text.resize(info.cch);
                const size_t tab = text.find(L'\t');
                const std::wstring label = text.substr(0, tab);
                const std::wstring rest = tab == std::wstring::npos ? std::wstring() : text.substr(tab);
                std::wstring translated = std::wstring(Translate(label.c_str())) + rest;
                if (translated != text) {
                    MENUITEMINFOW change{};
                    change.cbSize = sizeof change;
                    change.fMask = MIIM_STRING;
                    change.dwTypeData = translated.data();
                    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &change);
                }
            }
        }
        if (submenu) LocalizeMenu(submenu);
    }
}

}  // namespace vonu
