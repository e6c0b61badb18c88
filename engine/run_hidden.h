// Runs an outside program (the antivirus scanner, ffmpeg) without a window and waits for it.
#pragma once

#include <cstdint>
#include <string>

namespace vonu {

// The program's exit code, or -1 when it could not be started or ran past the time-out (it
// is then ended). Runs on a worker thread; blocks up to `timeoutMs`.
int64_t RunHidden(const std::wstring& commandLine, uint32_t timeoutMs);

}  // namespace vonu
