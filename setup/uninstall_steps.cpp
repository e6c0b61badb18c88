#include "setup/uninstall_steps.h"

#include <windows.h>

#include "browser/host_manifests.h"
#include "model/run_entry.h"
#include "model/text_case.h"
#include "setup/carried_files.h"
#include "setup/install_folder.h"
#include "setup/shortcuts.h"

namespace vonu {
namespace {

void DeleteQuietly(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// A file with its leftovers from an interrupted installation.
void DeleteInstalled(const std::wstring& path) {
    DeleteQuietly(path);
    DeleteQuietly(path + L".new");
    DeleteQuietly(path + L".old");
}

}  // namespace

void RemoveProgramFiles(const std::wstring& folder, const std::vector<std::wstring>& installed) {
    for (const std::wstring& name : installed) DeleteInstalled(folder + L"\\" + name);
    DeleteInstalled(folder + L"\\" + kUninstallerName);
    DeleteQuietly(folder + L"\\Vonu.old.exe");
    for (const wchar_t* manifest : {kChromiumManifestFile, kFirefoxManifestFile}) {
        DeleteQuietly(folder + L"\\" + manifest);
        DeleteQuietly(folder + L"\\" + manifest + L".tmp");
    }
    for (const std::wstring& sub : SubfoldersOf(installed)) RemoveDirectoryW((folder + L"\\" + sub).c_str());
    RemoveDirectoryW(folder.c_str());
}

void RemoveRegistration(const std::wstring& folder) {
    DeleteShortcutsInto(folder);

    (void)DeleteRunEntryInFolder(folder);
    for (const HostKey& key : kHostKeys)
        if (PathIsInFolder(RegistryText(HKEY_CURRENT_USER, key.subKey, nullptr), folder))
            RegDeleteTreeW(HKEY_CURRENT_USER, key.subKey);
    // An entry that records another folder belongs to another installation.
    const std::wstring recorded = RecordedInstallFolder();
    if (recorded.empty() || EqualsNoCase(recorded, folder)) RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
}

void RemoveOwnData(const std::wstring& dataFolder) {
    for (const wchar_t* name : {L"settings.ini", L"list.ini", L"categories.ini", L"logins.ini"})
        for (const wchar_t* suffix : {L"", L".tmp", L".unreadable", L".unreadable.tmp"})
            DeleteQuietly(dataFolder + L"\\" + name + suffix);
    RemoveDirectoryW(dataFolder.c_str());
}

}  // namespace vonu
