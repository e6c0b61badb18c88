// Categories decide which folder a new file lands in. The list starts with six built-in
// categories and is kept in categories.ini in the data folder. Guarded by the category
// lock: every function here takes it itself (call them without it), except where noted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

inline constexpr wchar_t kGeneralCategory[] = L"General";

// General, Compressed, Documents, Music, Programs, Video, in that order, built-in set.
std::vector<Category> BuiltInCategories();

// The name's extension (after its last ".") is one of the space-separated types, without
// regard to case. A name without an extension never matches.
bool TypesMatchFileName(std::wstring_view types, std::wstring_view fileName);

// The last category (but General) whose types match the name, else "General": a category
// the user added after the built-ins wins over a built-in listing the same extension.
std::wstring CategoryForFileName(DownloadManager& m, std::wstring_view fileName);

// The folder of the first category of that exact name with a folder of its own; else
// BaseDir + "\" + name; General and an empty name give BaseDir itself. Probe threads call
// this, so BaseDir is read under the category lock: whoever changes BaseDir while
// downloads may run (the Options dialog) assigns it under that lock too.
std::wstring FolderForCategory(DownloadManager& m, std::wstring_view category);

std::vector<Category> CopyCategories(DownloadManager& m);
std::vector<std::wstring> CategoryNames(DownloadManager& m);

// Replaces the list and writes categories.ini, logins.ini and ServerLimits.
[[nodiscard]] WriteResult ReplaceCategories(DownloadManager& m, std::vector<Category> categories,
                                            const std::wstring& dataFolder);

// Takes the manager lock (not the category lock): every download whose category is exactly
// oldName gets newName, and the list is marked changed. No file is moved.
void RenameCategoryInDownloads(DownloadManager& m, const std::wstring& oldName, const std::wstring& newName);

// categories.ini. Caller holds the category lock.
void LoadCategoriesLocked(DownloadManager& m, const std::wstring& categoriesPath);
std::wstring CategoriesText(const std::vector<Category>& categories);

}  // namespace vonu
