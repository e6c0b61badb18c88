// "Add category" / "Edit category": a category's name, file types and folder. The name of a
// built-in category is shown translated and cannot change; General's types cannot change.
// A refused OK (a name that is no usable folder name, a name another category has in any
// letter case, a folder that is not a full path) shows why and keeps the dialog open with
// the user's input. Modal to `owner`; uses IDD_CATEGORY. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// `category` is empty for a new one; `others` is the whole list (the edited one included,
// found by its name at opening) for the name check; `baseDir` decides the default folder
// shown and stored as empty. The edited record, or nothing when cancelled.
std::optional<Category> EditCategoryDialog(HWND owner, const Category& category, bool isNew,
                                           const std::vector<Category>& others, const std::wstring& baseDir);

}  // namespace vonu
