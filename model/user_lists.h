// The three lists the user edits in the Options and category dialogs, loaded and saved
// together: categories (categories.ini), site logins (logins.ini) and server limits
// (ServerLimits in settings.ini), all in the data folder.
#pragma once

#include <string>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

// Start-up: the built-in categories and whatever the files add. Missing or unreadable
// files leave the built-ins, no logins and no limits. Takes the category lock.
void LoadCategoriesLoginsAndLimits(DownloadManager& m, const std::wstring& dataFolder);

// Writes categories.ini, logins.ini and the ServerLimits key, in that order. The texts are
// made under the category lock and written after it is released, so the transfer threads'
// lookups never wait for the disk. The first failed file write is the result (the others
// are still attempted); the old file stays in place on failure.
[[nodiscard]] WriteResult SaveCategoriesLoginsAndLimits(DownloadManager& m, const std::wstring& dataFolder);

}  // namespace vonu
