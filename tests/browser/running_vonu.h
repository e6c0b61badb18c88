// Ending whichever Vonu.exe runs in the test prefix, also one the native messaging host
// started (no process handle of ours): its open dialogs are cancelled, then the Exit command
// goes to its main window, as the setup program sends it.
#pragma once

namespace vonu::test {

// True when no main window is left: none ran, or the program exited within 15 s (a process
// still running then is ended, and the result is false).
bool ExitRunningVonu();

}  // namespace vonu::test
