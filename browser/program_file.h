// The running program's own file, as the browser integration needs it to name itself in
// the host manifests and to start the main program from the host. GetModuleFileNameW cuts
// a longer path at MAX_PATH characters without failing; such a path names another file,
// so it is refused here: nothing is registered or started with it.
#pragma once

#include <string>

namespace vonu {

// The full path of the program file; empty when it has MAX_PATH (260) characters or more,
// or cannot be read.
std::wstring UncutProgramPath();

// The path up to, not including, its last backslash; empty without one.
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace vonu
