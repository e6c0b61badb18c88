// The uninstall entry under HKEY_CURRENT_USER: the setup program writes it, the uninstaller
// removes it, and the program refreshes its DisplayVersion after an update.
#pragma once

namespace vonu {

inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vonu";

}  // namespace vonu
