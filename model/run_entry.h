// The start-with-Windows entry: the REG_SZ value "Vonu" under HKEY_CURRENT_USER's Run key,
// holding the program's full path in double quotes followed by " /tray". The one place
// that knows its key, name and form: the Options dialog ticks and unticks it, the setup
// program writes it for the install folder, and the uninstaller removes it only when it
// starts a program inside the folder being removed (another copy keeps its entry).
//
// Plain registry calls; any thread, no lock.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vonu {

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Vonu";

// "\"" + programPath + "\" /tray".
std::wstring RunEntryCommand(std::wstring_view programPath);

// The program path of a Run command: the text between its leading pair of double quotes, or
// up to the first space when it has none; empty for an empty or half-quoted command.
std::wstring ProgramOfRunCommand(std::wstring_view command);

// The stored command, when the value exists and reads as a string (REG_SZ or
// REG_EXPAND_SZ, at most 32,767 characters); nothing otherwise.
std::optional<std::wstring> ReadRunEntry();

// Writes the entry for this program file. False when the key cannot be opened or written.
[[nodiscard]] bool WriteRunEntry(std::wstring_view programPath);

// Deletes the value. True when it is gone afterwards (also when there was none).
[[nodiscard]] bool DeleteRunEntry();

// Deletes the value only when its program lies inside this folder (file-system case rules);
// an entry of another copy of the program is kept. True when no entry of this folder is
// left afterwards.
[[nodiscard]] bool DeleteRunEntryInFolder(std::wstring_view folder);

}  // namespace vonu
