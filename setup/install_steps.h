// The installation, in two halves that may run in different processes:
//
// - InstallProgramFiles writes the files into the install folder: the carried files and the
//   uninstaller, each first as name + ".new"; only when every one was written whole are they
//   moved into place together (an existing file is first moved aside to name + ".old", and
//   moved back if any file cannot be replaced). A failure therefore leaves every file of a
//   previous installation as it was. This half needs write access to the folder; when the
//   folder needs administrator rights it runs in the elevated copy of setup.
// - InstallUserParts writes what belongs to the user: shortcuts, the Run value, the browsers'
//   host keys (the manifests they name are files of the folder, written by the first half), the language in settings.ini and
//   the uninstall entry. It always runs in the user's own process, so an elevation with
//   another administrator's credentials never writes into that administrator's profile.
//
// Both run on the install thread (COM initialised as an apartment), touch no window and
// report progress through the callback; the texts are English (the wizard translates).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "setup/carried_files.h"

namespace vonu {

inline constexpr wchar_t kCannotWriteFolder[] = L"Cannot write to the install folder";

// English status text ("Copying %s" already filled in), per mille 0-1000.
using InstallProgress = std::function<void(const std::wstring& status, int perMille)>;

struct InstallOutcome {
    bool ok = false;
    std::wstring error;  // "Cannot write to the install folder" [CR LF full path]
};

// `setupPath` is the running setup program's file, copied as the uninstaller unless it is
// that uninstaller already. `pauseMs` between files keeps the progress readable.
InstallOutcome InstallProgramFiles(const std::wstring& folder, const std::vector<FileToInstall>& files,
                                   const std::wstring& setupPath, const InstallProgress& progress,
                                   unsigned pauseMs = 20);

struct UserParts {
    std::wstring folder;
    bool desktop = true, startMenu = true, autorun = true;
    bool arabic = false;
    uint64_t totalSize = 0;  // TotalInstallSize of the carried files
};

// Failures here never end the installation (a shortcut, the Run key, the registration, the
// settings file, the uninstall entry are each best effort).
void InstallUserParts(const UserParts& parts, const InstallProgress& progress);

// The pieces of InstallUserParts, for the uninstaller and the tests.
void WriteUninstallEntry(const std::wstring& folder, uint64_t totalSize);
void RecordLanguage(const std::wstring& dataFolder, bool arabic);

}  // namespace vonu
