#include "ui/category_dialog.h"

#include "l10n/localization.h"
#include "model/categories.h"
#include "model/text_case.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/options_rules.h"
#include "ui/resource.h"

namespace vonu {
namespace {

constexpr wchar_t kTitle[] = L"Category";
constexpr wchar_t kBadName[] =
    L"Enter a name for the category. It can't use these characters: \\ / : * ? \" < > |";
constexpr int kNameCap = 100;
constexpr int kFolderCap = 259;

struct CategoryEdit {
    Category record;
    bool isNew = false;
    const std::vector<Category>* others = nullptr;
    std::wstring baseDir;
};

CategoryEdit& EditOf(HWND dialog) { return *reinterpret_cast<CategoryEdit*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void Refuse(HWND dialog, int field, const wchar_t* message) {
    ShowMessageBox(dialog, message, kTitle, MB_OK | MB_ICONINFORMATION);
    HWND edit = GetDlgItem(dialog, field);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void OnInit(HWND dialog, CategoryEdit& e) {
    LocalizeWindow(dialog);
    SetWindowTextW(dialog, Translate(e.isNew ? L"Add category" : L"Edit category"));
    const Category& c = e.record;
    SetDlgItemTextW(dialog, IDC_CAT_NAME, c.builtIn ? Translate(c.name.c_str()) : c.name.c_str());
    SendDlgItemMessageW(dialog, IDC_CAT_NAME, EM_SETREADONLY, c.builtIn, 0);
    SendDlgItemMessageW(dialog, IDC_CAT_NAME, EM_LIMITTEXT, kNameCap, 0);
    SetDlgItemTextW(dialog, IDC_CAT_TYPES, c.types.c_str());
    EnableWindow(GetDlgItem(dialog, IDC_CAT_TYPES), c.name != kGeneralCategory);
    const std::wstring folder =
        e.isNew ? std::wstring() : (c.folder.empty() ? DefaultCategoryFolder(e.baseDir, c.name) : c.folder);
    SetDlgItemTextW(dialog, IDC_CAT_FOLDER, folder.c_str());
    SendDlgItemMessageW(dialog, IDC_CAT_FOLDER, EM_LIMITTEXT, kFolderCap, 0);
    ReadLeftToRight(GetDlgItem(dialog, IDC_CAT_TYPES));
    ReadLeftToRight(GetDlgItem(dialog, IDC_CAT_FOLDER));
}

void OnBrowse(HWND dialog) {
    if (auto folder = PickFolder(dialog, TrimBlanks(DialogItemText(dialog, IDC_CAT_FOLDER))))
        SetDlgItemTextW(dialog, IDC_CAT_FOLDER, folder->c_str());
}

void OnOk(HWND dialog, CategoryEdit& e) {
    const std::wstring name = TrimBlanks(DialogItemText(dialog, IDC_CAT_NAME));
    const std::wstring types = NormalizeFileTypes(DialogItemText(dialog, IDC_CAT_TYPES));
    const std::wstring folder = TrimBlanks(DialogItemText(dialog, IDC_CAT_FOLDER));
    Category& c = e.record;
    if (!c.builtIn) {
        if (!IsUsableCategoryName(name)) return Refuse(dialog, IDC_CAT_NAME, kBadName);
        for (const Category& other : *e.others)
            if ((e.isNew || other.name != c.name) && EqualsNoCase(other.name, name))
                return Refuse(dialog, IDC_CAT_NAME, L"There is already a category with this name");
    }
    // An empty folder follows BaseDir; anything else must be a place the files can go.
    if (!folder.empty() && !IsUsableFolder(folder)) return Refuse(dialog, IDC_CAT_FOLDER, kBadFolderMessage);
    if (!c.builtIn) c.name = name;
    if (c.name != kGeneralCategory) c.types = types;
    c.folder = folder.empty() ? std::wstring() : StoredCategoryFolder(WithoutTrailingSlash(folder), e.baseDir, c.name);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK CategoryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInit(dialog, EditOf(dialog));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK: OnOk(dialog, EditOf(dialog)); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_CAT_BROWSE: OnBrowse(dialog); return TRUE;
    }
    return FALSE;
}

}  // namespace

std::optional<Category> EditCategoryDialog(HWND owner, const Category& category, bool isNew,
                                           const std::vector<Category>& others, const std::wstring& baseDir) {
    CategoryEdit edit{category, isNew, &others, baseDir};
    if (isNew) edit.record = Category{};
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CATEGORY), owner, CategoryProc,
                        reinterpret_cast<LPARAM>(&edit)) != IDOK)
        return std::nullopt;
    return edit.record;
}

}  // namespace vonu
