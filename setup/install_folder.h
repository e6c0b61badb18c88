// The install folder: its default, the checks a typed folder must pass, the Browse rule and
// the space lines of the folder page. No windows; any thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "model/uninstall_entry.h"

namespace vonu {

// The previous installation's "InstallLocation", else the per-user program files + "\Vonu".
std::wstring DefaultInstallFolder();
// A string value as stored (REG_SZ or REG_EXPAND_SZ, up to 1,023 characters); empty when
// there is none.
std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* name);
// "InstallLocation" of the uninstall entry; empty when there is none.
std::wstring RecordedInstallFolder();

struct FolderCheck {
    bool ok = false;
    std::wstring folder;  // the full path, when ok
    std::wstring reason;  // why not, one English sentence (empty: nothing was typed)
};

// A folder is taken only as a full path that starts at a drive root ("C:\...") or a network
// share ("\\server\share..."): never relative to a current folder (which is System32 in an
// elevated copy), never "\\?\" or "\\.\" forms, no " < > | * ? or a colon after the drive, no
// component that is a device name or ends in a dot or a space, not an existing file, and
// short enough that `longestName` (the longest file to be written, relative to the folder,
// temporary suffix included) fits below MAX_PATH. Trailing backslashes and spaces are
// dropped, "." and ".." resolved.
FolderCheck CheckInstallFolder(const std::wstring& typed, size_t longestName);

// The Browse rule: `chosen` + "\Vonu" unless its last component already is "Vonu" (any case).
std::wstring WithVonuFolder(const std::wstring& chosen);

// "%.1f MB" below 1 GiB, else "%.1f GB"; in Arabic U+200F and the Arabic unit.
std::wstring SpaceText(uint64_t bytes, bool arabic);
// Free bytes on the folder's volume, trying each parent until one answers.
std::optional<uint64_t> FreeSpaceFor(const std::wstring& folder);

}  // namespace vonu
