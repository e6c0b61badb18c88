#include "setup/install_steps.h"

#include <windows.h>
#include <shlobj.h>

#include "browser/host_manifests.h"
#include "model/data_folder.h"
#include "model/product_site.h"
#include "model/run_entry.h"
#include "model/text_case.h"
#include "model/unique_handle.h"
#include "model/version.h"
#include "model/whole_file_writer.h"
#include "setup/install_folder.h"
#include "setup/shortcuts.h"
#include "setup/setup_texts.h"

namespace vonu {
namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring NewName(const std::wstring& path) { return path + L".new"; }
std::wstring OldName(const std::wstring& path) { return path + L".old"; }

InstallOutcome Failed(const std::wstring& path) { return {false, std::wstring(kCannotWriteFolder) + L"\r\n" + path}; }

void RemoveFiles(const std::vector<std::wstring>& paths) {
    for (const std::wstring& p : paths) {
        SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(p.c_str());
    }
}

// Moves every written ".new" file over its target. First every existing target is moved
// aside: a target that is open without delete sharing (or otherwise locked) refuses that
// move, and then everything goes back as it was. Returns the path that could not be
// replaced, empty on success.
std::wstring ReplaceAll(const std::vector<std::wstring>& targets) {
    std::vector<std::wstring> asideDone;
    const auto restore = [&] {
        for (const std::wstring& t : asideDone) MoveFileExW(OldName(t).c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING);
    };
    std::vector<std::wstring> news;
    for (const std::wstring& t : targets) news.push_back(NewName(t));
    for (const std::wstring& t : targets) {
        if (!Exists(t)) continue;
        SetFileAttributesW(t.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExW(t.c_str(), OldName(t).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            restore();
            RemoveFiles(news);
            return t;
        }
        asideDone.push_back(t);
    }
    std::vector<std::wstring> placed;
    for (const std::wstring& t : targets) {
        if (!MoveFileExW(NewName(t).c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            RemoveFiles(placed);
            restore();
            RemoveFiles(news);
            return t;
        }
        placed.push_back(t);
    }
    // A moved-aside file that is still mapped (a program image) cannot be deleted yet; the
    // next installation or the uninstaller removes it.
    for (const std::wstring& t : asideDone) DeleteFileW(OldName(t).c_str());
    return {};
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
void SetNumber(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

InstallOutcome InstallProgramFiles(const std::wstring& folder, const std::vector<FileToInstall>& files,
                                   const std::wstring& setupPath, const InstallProgress& progress,
                                   unsigned pauseMs) {
    if (SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS && !IsFolder(folder))
        return {false, kCannotWriteFolder};

    const uint64_t total = TotalInstallSize(files);
    uint64_t written = 0;
    std::vector<std::wstring> targets;
    std::vector<std::wstring> news;
    const auto fail = [&](const std::wstring& path) {
        RemoveFiles(news);
        return Failed(path);
    };
    for (const FileToInstall& f : files) {
        const std::wstring target = folder + L"\\" + f.name;
        const size_t slash = target.rfind(L'\\');
        SHCreateDirectoryExW(nullptr, target.substr(0, slash).c_str(), nullptr);
        progress(FillIn(L"Copying %s", f.name), static_cast<int>(written * 800 / total));
        news.push_back(NewName(target));
        if (!WriteFileBytes(NewName(target), f.bytes).ok) return fail(target);
        targets.push_back(target);
        written += f.bytes.size();
        if (pauseMs) Sleep(pauseMs);
    }

    const std::wstring uninstaller = folder + L"\\" + kUninstallerName;
    if (!EqualsNoCase(setupPath, uninstaller)) {
        news.push_back(NewName(uninstaller));
        if (!CopyFileW(setupPath.c_str(), NewName(uninstaller).c_str(), FALSE)) return fail(uninstaller);
        SetFileAttributesW(NewName(uninstaller).c_str(), FILE_ATTRIBUTE_NORMAL);
        targets.push_back(uninstaller);
    }
    const std::wstring refused = ReplaceAll(targets);
    if (!refused.empty()) return Failed(refused);
    // The manifests are files of the folder; the keys that name them are the user's (below).
    WriteInstallManifests(folder);
    return {true, {}};
}

void RecordLanguage(const std::wstring& dataFolder, bool arabic) {
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    const std::wstring settings = SettingsPath(dataFolder);
    // A new file must start with the UTF-16 mark, or the profile functions write ANSI.
    if (!Exists(settings)) (void)WriteWholeFile(settings, L"[Main]\r\n");
    WritePrivateProfileStringW(L"Main", L"Language", arabic ? L"ar" : L"en", settings.c_str());
}

void WriteUninstallEntry(const std::wstring& folder, uint64_t totalSize) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegKey key(raw);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t date[16];
    _snwprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    date[15] = L'\0';
    SetString(key.get(), L"DisplayName", L"Vonu Download Manager");
    SetString(key.get(), L"DisplayVersion", kVersion);
    SetString(key.get(), L"Publisher", L"Vonu");
    SetString(key.get(), L"DisplayIcon", folder + L"\\Vonu.exe");
    SetString(key.get(), L"InstallLocation", folder);
    SetString(key.get(), L"InstallDate", date);
    SetString(key.get(), L"URLInfoAbout", kProductSite);
    SetString(key.get(), L"HelpLink", kProductSite);
    SetString(key.get(), L"UninstallString", L"\"" + folder + L"\\" + kUninstallerName + L"\" /uninstall");
    SetNumber(key.get(), L"NoModify", 1);
    SetNumber(key.get(), L"NoRepair", 1);
    SetNumber(key.get(), L"EstimatedSize", static_cast<DWORD>(totalSize / 1024));
}

void InstallUserParts(const UserParts& parts, const InstallProgress& progress) {
    progress(L"Creating shortcuts", 850);
    // Both names go first, so a change of language leaves no shortcut of the old name.
    DeleteShortcutsInto(parts.folder);
    if (parts.desktop) (void)CreateShortcut(ShortcutPlace::Desktop, parts.folder, parts.arabic);
    if (parts.startMenu) (void)CreateShortcut(ShortcutPlace::Programs, parts.folder, parts.arabic);

    // Autorun off clears any entry, as the unticked box says: Vonu does not start with Windows.
    if (parts.autorun)
        (void)WriteRunEntry(parts.folder + L"\\Vonu.exe");
    else
        (void)DeleteRunEntry();

    progress(L"Connecting Vonu to your browsers", 930);
    SetInstallKeys(parts.folder);
    RecordLanguage(DataFolder(), parts.arabic);
    WriteUninstallEntry(parts.folder, parts.totalSize);
    progress(L"Installing", 1000);
}

}  // namespace vonu
