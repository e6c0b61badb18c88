// The uninstaller: the setup program started with "/uninstall" (as the installed
// Uninstall.exe by the uninstall entry). Started without "/dir=", it copies itself to the
// temporary folder as "Vonu-Uninstall.exe" and lets that copy do the work, so the install
// folder and the uninstaller in it can go; the copy deletes itself through the command
// interpreter once it has ended. UI thread (it shows the remove dialog and messages).
#pragma once

#include <windows.h>

#include <string>

#include "setup/setup_command_line.h"

namespace vonu {

// 0 when it finished or handed over to its temporary copy; 1 when the user cancelled, Vonu
// did not close, or no installation was found.
int RunUninstaller(HINSTANCE instance, const SetupCommandLine& line);

// The folder to remove when no "/dir=" was given: the uninstaller's own folder when it runs
// as an Uninstall.exe, else the installation the uninstall entry records (empty when none).
// A setup program elsewhere (Vonu-Setup.exe in Downloads) never takes its own folder.
std::wstring FolderToUninstall(const std::wstring& ownPath, const std::wstring& recorded);

// The command line that deletes `path` about two seconds after it was started, run with the
// system folder's own cmd.exe and ping.exe (never found through the search path).
std::wstring SelfDeleteCommand(const std::wstring& systemFolder, const std::wstring& path);

}  // namespace vonu
