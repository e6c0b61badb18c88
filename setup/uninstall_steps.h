// What the uninstaller removes. Everything is best effort: a file in use, a folder that is not
// empty or a missing key is passed over. Nothing outside the installation is touched: the
// Run value, the browsers' host keys, the shortcuts and the uninstall entry are removed only
// where they point into the folder being removed, so another copy of the program keeps its
// own; and in the data folder only the program's own files go.
#pragma once

#include <string>
#include <vector>

namespace vonu {

// The installed files (the names of the carried files, relative to the folder), the uninstaller, the updater's "Vonu.old.exe", both host manifests and
// any ".new"/".old" files an interrupted installation left; then the carried files' folders
// and the install folder itself, each only when empty.
void RemoveProgramFiles(const std::wstring& folder, const std::vector<std::wstring>& installed);

// The Run value, the five host keys (with subkeys) and the uninstall entry, each only where
// it points into `folder`.
void RemoveRegistration(const std::wstring& folder);

// settings.ini, list.ini, categories.ini, logins.ini, each with its ".tmp" and ".unreadable"
// copies, then the folder if nothing else is left in it. Other files and folders the user
// keeps there (a downloads folder, say) stay, and links are never followed.
void RemoveOwnData(const std::wstring& dataFolder);

}  // namespace vonu
