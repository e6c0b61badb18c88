#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>

#include "model/data_folder.h"

namespace vonu {

std::wstring KnownFolderPath(const GUID& id) {
    wchar_t* raw = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw)) && raw) path = raw;
    CoTaskMemFree(raw);
    return path;
}

std::wstring DataFolder() {
    std::wstring folder = KnownFolderPath(FOLDERID_RoamingAppData) + L"\\Vonu";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring SettingsPath(const std::wstring& dataFolder) { return dataFolder + L"\\settings.ini"; }
std::wstring ListPath(const std::wstring& dataFolder) { return dataFolder + L"\\list.ini"; }
std::wstring CategoriesPath(const std::wstring& dataFolder) { return dataFolder + L"\\categories.ini"; }
std::wstring LoginsPath(const std::wstring& dataFolder) { return dataFolder + L"\\logins.ini"; }

}  // namespace vonu
