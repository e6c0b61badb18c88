// The program's shortcuts on the Desktop and in the Start menu's Programs folder: "Vonu.lnk"
// in English, "ڤونو.lnk" in Arabic. The calling thread has initialised COM (apartment).
#pragma once

#include <string>
#include <vector>

namespace vonu {

enum class ShortcutPlace { Desktop, Programs };

// The full paths of both names in that place (empty when the shell cannot give the folder).
std::vector<std::wstring> ShortcutPaths(ShortcutPlace place);

// Removes the shortcuts of both names in both places that lead into `folder`; one that
// leads elsewhere (another copy of the program) or cannot be read is kept.
void DeleteShortcutsInto(const std::wstring& folder);

// folder + "\Vonu.exe", no arguments, the install folder as working folder, the program's
// own icon, the description in the interface language. False when it could not be saved.
bool CreateShortcut(ShortcutPlace place, const std::wstring& folder, bool arabic);

// The target of a shortcut file; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& linkPath);

}  // namespace vonu
