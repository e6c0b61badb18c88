// The per-user data folder, "%APPDATA%\Vonu", and the state files in it. Computing the path
// also creates the folder, so it exists before any file in it is read or written.
// Storage functions take the folder or file as a parameter; only start-up asks for these.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

std::wstring DataFolder();
std::wstring SettingsPath(const std::wstring& dataFolder);    // dataFolder + "\settings.ini"
std::wstring ListPath(const std::wstring& dataFolder);        // dataFolder + "\list.ini"
std::wstring CategoriesPath(const std::wstring& dataFolder);  // dataFolder + "\categories.ini"
std::wstring LoginsPath(const std::wstring& dataFolder);      // dataFolder + "\logins.ini"

// The known folder's path, or empty if the shell cannot give it.
std::wstring KnownFolderPath(const GUID& id);

}  // namespace vonu
