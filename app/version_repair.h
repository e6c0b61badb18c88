// After a self-update the uninstall entry should show the new version: when the entry's
// InstallLocation is the folder the program runs from, its DisplayVersion is set to ours.
// Every failure is ignored (a portable copy has no entry at all).
#pragma once

#include <windows.h>

#include <string>

#include "model/uninstall_entry.h"

namespace vonu {

void RepairDisplayVersion(HKEY root, const wchar_t* subKey, const std::wstring& programFolder);

// The folder of the running executable, without a trailing backslash.
std::wstring ProgramFolder();
std::wstring ProgramPath();

}  // namespace vonu
