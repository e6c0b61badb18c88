#include "ui/dialog_controls.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwchar>

#include "l10n/localization.h"
#include "ui/resource.h"

namespace vonu {

std::wstring ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

std::wstring DialogItemText(HWND dialog, int id) { return ControlText(GetDlgItem(dialog, id)); }

std::wstring TrimBlanks(std::wstring_view text) {
    constexpr std::wstring_view blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return std::wstring(text.substr(first, last - first + 1));
}

void ReadLeftToRight(HWND edit) {
    if (!edit) return;
    const LONG_PTR ex = GetWindowLongPtrW(edit, GWL_EXSTYLE);
    SetWindowLongPtrW(edit, GWL_EXSTYLE,
                      (ex & ~static_cast<LONG_PTR>(WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT |
                                                   WS_EX_LEFTSCROLLBAR)) |
                          WS_EX_LTRREADING);
    const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
    SetWindowLongPtrW(edit, GWL_STYLE, (style & ~static_cast<LONG_PTR>(ES_RIGHT | ES_CENTER)) | ES_LEFT);
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(edit, nullptr, TRUE);
}

HFONT DerivedFont(HWND control, int heightNumerator, int heightDenominator, LONG weight) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font) return nullptr;
    LOGFONTW lf{};
    if (!GetObjectW(font, sizeof lf, &lf)) return nullptr;
    lf.lfHeight = MulDiv(lf.lfHeight, heightNumerator, heightDenominator);
    lf.lfWeight = weight;
    return CreateFontIndirectW(&lf);
}

std::wstring FileDialogFilter(const wchar_t* text) {
    std::wstring filter = Translate(text);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    return filter;
}

std::optional<std::wstring> PickFolder(HWND owner, const std::wstring& start) {
    IFileOpenDialog* picker = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker))))
        return std::nullopt;
    std::optional<std::wstring> chosen;
    DWORD options = 0;
    picker->GetOptions(&options);
    picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    IShellItem* folder = nullptr;
    if (!start.empty() && SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
        picker->SetFolder(folder);
        folder->Release();
    }
    IShellItem* result = nullptr;
    if (SUCCEEDED(picker->Show(owner)) && SUCCEEDED(picker->GetResult(&result))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
            chosen = path;
            CoTaskMemFree(path);
        }
        result->Release();
    }
    picker->Release();
    return chosen;
}

std::optional<std::wstring> AskForFile(HWND owner, bool save, const wchar_t* filterText, const std::wstring& proposed,
                                       const std::wstring& folder, const wchar_t* extension) {
    const std::wstring filter = FileDialogFilter(filterText);
    std::wstring file = proposed;
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');  // long paths fit
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return file;
}

void SetProgramIcons(HWND dialog) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    const auto load = [&](int side) {
        return static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, side, side, LR_SHARED));
    };
    if (HICON big = load(GetSystemMetrics(SM_CXICON)))
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = load(GetSystemMetrics(SM_CXSMICON)))
        SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

}  // namespace vonu
