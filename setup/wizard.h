// The six-page setup wizard (Welcome, License, Install folder, Options, Installing,
// Finished) and the language dialog before it.
//
// Threads: the wizard runs on the main thread; the one install thread (install_steps.h) runs
// the installation and talks back only through the status text (under a lock), the
// atomically exchanged progress value and two posted messages (WM_APP + 1: progress,
// WM_APP + 2: finished, wParam = success). The wizard joins the thread after WM_APP + 2 and
// again before it returns.
//
// Elevation: when the folder cannot be written, setup starts its own file again with the
// "runas" verb and "/elevated"; that copy closes a running Vonu, checks the folder again,
// writes the files and ends with exit code 0 on success. The waiting wizard, the user's own
// process, then writes the per-user parts (shortcuts, Run value, host keys, settings,
// uninstall entry) and shows the Finished page.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

struct WizardStart {
    bool elevated = false;  // this is the elevated copy: install the files at once
    std::wstring folder;
    bool desktop = true, startMenu = true, autorun = true;
};

// The language dialog: true with the Arabic flag set from the choice, false on Cancel.
bool ChooseSetupLanguage(HINSTANCE instance);

// Runs the wizard until it closes; the process's exit code.
int RunWizard(HINSTANCE instance, const WizardStart& start);

// Exit codes of the elevated copy besides 0 (the files are in place).
inline constexpr int kElevatedFolderRefused = 3;  // "/dir=" did not pass the folder check
inline constexpr int kElevatedVonuRunning = 4;    // Vonu would not close
inline constexpr int kElevatedInstallFailed = 2;  // a file could not be written

}  // namespace vonu
