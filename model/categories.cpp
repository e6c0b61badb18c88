#include "model/categories.h"

#include <mutex>

#include "model/ini_fields.h"
#include "model/ini_file.h"
#include "model/text_case.h"
#include "model/user_lists.h"

namespace vonu {
namespace {

constexpr int kMaxCategories = 100;
constexpr size_t kMaxValueChars = 32767;  // a path or a types list; longer is not ours

// The keys of a "[Cat" + index + "]" section, in the order they are written.
const IniField<Category> kCategoryFields[] = {
    {L"Name", &Category::name},
    {L"Types", &Category::types},
    {L"Folder", &Category::folder},
};

}  // namespace

std::vector<Category> BuiltInCategories() {
    return {
        {L"General", L"", L"", true},
        {L"Compressed", L"zip rar 7z tar gz bz2 xz iso tgz cab arj lzh z", L"", true},
        {L"Documents", L"pdf doc docx xls xlsx ppt pptx txt epub csv rtf odt ods", L"", true},
        {L"Music", L"mp3 wav flac aac ogg m4a wma opus mid", L"", true},
        {L"Programs", L"exe msi apk dmg deb rpm appimage msix msixbundle", L"", true},
        {L"Video", L"mp4 mkv avi mov wmv flv webm m4v mpg mpeg 3gp ts", L"", true},
    };
}

bool TypesMatchFileName(std::wstring_view types, std::wstring_view fileName) {
    const size_t dot = fileName.rfind(L'.');
    if (fileName.empty() || dot == std::wstring_view::npos) return false;
    const std::wstring_view extension = fileName.substr(dot + 1);
    if (extension.empty()) return false;  // "name." has no extension, and "  " is no type
    const std::wstring haystack = L" " + LowerCase(types) + L" ";
    const std::wstring needle = L" " + LowerCase(extension) + L" ";
    return haystack.find(needle) != std::wstring::npos;
}

std::wstring CategoryForFileName(DownloadManager& m, std::wstring_view fileName) {
    std::lock_guard guard(m.categoryLock);
    for (auto it = m.categories.rbegin(); it != m.categories.rend(); ++it) {
        if (it->name == kGeneralCategory) continue;
        if (TypesMatchFileName(it->types, fileName)) return it->name;
    }
    return kGeneralCategory;
}

std::wstring FolderForCategory(DownloadManager& m, std::wstring_view category) {
    std::lock_guard guard(m.categoryLock);
    for (const Category& c : m.categories)
        if (c.name == category && !c.folder.empty()) return c.folder;
    if (!category.empty() && category != kGeneralCategory) return m.BaseDir + L"\\" + std::wstring(category);
    return m.BaseDir;
}

std::vector<Category> CopyCategories(DownloadManager& m) {
    std::lock_guard guard(m.categoryLock);
    return m.categories;
}

std::vector<std::wstring> CategoryNames(DownloadManager& m) {
    std::lock_guard guard(m.categoryLock);
    std::vector<std::wstring> names;
    names.reserve(m.categories.size());
    for (const Category& c : m.categories) names.push_back(c.name);
    return names;
}

WriteResult ReplaceCategories(DownloadManager& m, std::vector<Category> categories,
                              const std::wstring& dataFolder) {
    {
        std::lock_guard guard(m.categoryLock);
        m.categories = std::move(categories);
    }
    return SaveCategoriesLoginsAndLimits(m, dataFolder);
}

void RenameCategoryInDownloads(DownloadManager& m, const std::wstring& oldName, const std::wstring& newName) {
    std::lock_guard guard(m.lock);
    for (const auto& item : m.downloads)
        if (item->category == oldName) item->category = newName;
    m.listDirty = true;
}

void LoadCategoriesLocked(DownloadManager& m, const std::wstring& categoriesPath) {
    m.categories = BuiltInCategories();
    IniReadResult file = ReadIniFile(categoriesPath, kMaxValueChars, 16u * 1024 * 1024);
    if (!file.ok) return;  // missing or unreadable: the built-ins alone
    for (int index = 0; index < kMaxCategories; ++index) {
        const IniSection* section = FindSection(file.sections, L"Cat" + std::to_wstring(index));
        Category stored;
        if (section) ReadIniFields(stored, *section, kCategoryFields);
        if (stored.name.empty()) break;  // a gap ends the list
        Category* category = nullptr;
        for (Category& c : m.categories)
            if (c.name == stored.name) {
                category = &c;
                break;
            }
        if (!category) {
            m.categories.push_back({stored.name, L"", L"", false});
            category = &m.categories.back();
        }
        if (stored.name != kGeneralCategory) category->types = stored.types;  // General has none
        category->folder = stored.folder;
    }
}

std::wstring CategoriesText(const std::vector<Category>& categories) {
    std::wstring text;
    for (size_t i = 0; i < categories.size(); ++i) {
        text += L"[Cat" + std::to_wstring(i) + L"]\r\n";
        AppendIniFields(text, categories[i], kCategoryFields);
    }
    return text;
}

}  // namespace vonu
