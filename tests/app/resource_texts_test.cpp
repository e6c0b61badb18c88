// Every text the program's own menu bar and dialog templates carry has an Arabic row: a
// missing row leaves English words in the Arabic interface, and nothing else would notice.
// The texts are read from the built Vonu.exe, as the running program loads them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "l10n/localization.h"
#include "ui/resource.h"
#include "model/text_encoding.h"
#include "tests/support/language_scope.h"
#include "tests/support/process.h"

namespace vonu {
namespace {

struct Text {
    std::wstring where;
    std::wstring text;
};

void MenuTexts(HMENU menu, const std::wstring& where, std::vector<Text>& out) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        out.push_back({where, text});
        if (HMENU sub = GetSubMenu(menu, i)) MenuTexts(sub, where, out);
    }
}

// Reads a DIALOGEX template: its title and the title of every item given as a string.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : p_(p), start_(p) {}
    WORD Word() {
        WORD w;
        memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD Dword() {
        const DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    // A string, or an ordinal (0xFFFF and a number), or nothing (0).
    std::wstring StringOrOrdinal() {
        const WORD first = Word();
        if (first == 0) return {};
        if (first == 0xFFFF) {
            Word();
            return {};
        }
        std::wstring s(1, static_cast<wchar_t>(first));
        while (WORD c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    void Skip(size_t bytes) { p_ += bytes; }
    void AlignDword() {
        while ((p_ - start_) % 4) ++p_;
    }

private:
    const BYTE* p_;
    const BYTE* start_;
};

void DialogTexts(HMODULE module, LPCWSTR name, std::vector<Text>& out) {
    HRSRC found = FindResourceW(module, name, RT_DIALOG);
    ASSERT_NE(found, nullptr);
    TemplateReader r(static_cast<const BYTE*>(LockResource(LoadResource(module, found))));
    const std::wstring where = L"dialog " + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    ASSERT_EQ(r.Word(), 1) << "a DIALOGEX template";
    ASSERT_EQ(r.Word(), 0xFFFF);
    r.Dword();  // help id
    r.Dword();  // extended style
    const DWORD style = r.Dword();
    const WORD items = r.Word();
    r.Skip(8);  // x, y, cx, cy
    r.StringOrOrdinal();  // menu
    r.StringOrOrdinal();  // class
    out.push_back({where + L" title", r.StringOrOrdinal()});
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        r.Skip(6);  // point size, weight, italic, character set
        r.StringOrOrdinal();
    }
    for (WORD i = 0; i < items; ++i) {
        r.AlignDword();
        r.Skip(12 + 8);  // help id, extended style, style; x, y, cx, cy
        const DWORD id = r.Dword();
        const std::wstring className = r.StringOrOrdinal();
        const std::wstring text = r.StringOrOrdinal();
        // Custom controls (the progress bars) carry no text of their own.
        if (className.empty()) out.push_back({where + L" item " + std::to_wstring(static_cast<int>(id)), text});
        r.Skip(r.Word());  // creation data
    }
}

// The lookup key: without "&" markers, without what follows a tab, trimmed; empty when the
// text holds no letter (a "..." button, an empty static filled in at run time).
std::wstring Key(const std::wstring& text) {
    std::wstring key;
    for (size_t i = 0; i < text.size() && text[i] != L'\t'; ++i) {
        if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] != L'&') continue;
        key.push_back(text[i]);
    }
    while (!key.empty() && key.back() == L' ') key.pop_back();
    while (!key.empty() && key.front() == L' ') key.erase(0, 1);
    for (wchar_t c : key)
        if (std::iswalpha(c)) return key;
    return {};
}

TEST(ResourceTexts, EveryMenuAndDialogTextHasAnArabicRow) {
    HMODULE exe = LoadLibraryExW(test::VonuExePath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr) << "Vonu.exe is built";
    std::vector<Text> texts;
    HMENU menu = LoadMenuW(exe, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    MenuTexts(menu, L"menu bar", texts);
    DestroyMenu(menu);
    std::vector<LPCWSTR> dialogs;
    EnumResourceNamesW(
        exe, RT_DIALOG,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR p) -> BOOL {
            if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<LPCWSTR>*>(p)->push_back(name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&dialogs));
    EXPECT_GE(dialogs.size(), 8u) << "the delete, address, New Download, chooser, duplicate, "
                                     "properties, progress and completion dialogs";
    for (LPCWSTR name : dialogs) ASSERT_NO_FATAL_FAILURE(DialogTexts(exe, name, texts));
    FreeLibrary(exe);

    test::LanguageScope arabic(true);
    for (const Text& t : texts) {
        const std::wstring key = Key(t.text);
        if (key.empty()) continue;
        EXPECT_NE(std::wstring(Translate(key.c_str())), key)
            << WideToUtf8(t.where) << ": \"" << WideToUtf8(key) << "\" has no Arabic row";
    }
}

}  // namespace
}  // namespace vonu
