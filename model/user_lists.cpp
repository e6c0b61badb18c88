#include "model/user_lists.h"

#include <mutex>

#include "model/categories.h"
#include "model/data_folder.h"
#include "model/server_limits.h"
#include "model/site_logins.h"

namespace vonu {

void LoadCategoriesLoginsAndLimits(DownloadManager& m, const std::wstring& dataFolder) {
    std::lock_guard guard(m.categoryLock);
    LoadCategoriesLocked(m, CategoriesPath(dataFolder));
    LoadLoginsLocked(m, LoginsPath(dataFolder));
    LoadServerLimitsLocked(m, SettingsPath(dataFolder));
}

WriteResult SaveCategoriesLoginsAndLimits(DownloadManager& m, const std::wstring& dataFolder) {
    std::wstring categories, logins, limits;
    {
        std::lock_guard guard(m.categoryLock);
        categories = CategoriesText(m.categories);
        logins = LoginsText(m.logins);
        limits = FormatServerLimits(m.serverLimits);
    }
    WriteResult result = WriteWholeFile(CategoriesPath(dataFolder), categories);
    WriteResult second = WriteWholeFile(LoginsPath(dataFolder), logins);
    if (result.ok) result = second;
    WriteResult third = SaveServerLimits(SettingsPath(dataFolder), limits);
    if (result.ok) result = third;
    return result;
}

}  // namespace vonu
