// Installing an offered update: the program file downloaded into memory, checked against the
// signed size and SHA-256, written to the temporary folder, swapped with the running
// executable and started with "/restart /updated". Every failure after the running file was
// moved puts it back, so the old program keeps working.
//
// Threads: DownloadUpdateFile runs on the update dialog's download thread; the rest on the
// user-interface thread. No window is touched here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "model/download_item.h"
#include "ui/update_result.h"

namespace vonu {

// The running executable's path with the extension of its file name (from the last "." of
// the last path component; none: nothing) replaced by ".old.exe".
std::wstring OldProgramPath(const std::wstring& exePath);
std::wstring OldProgramPath();  // of the running executable

// The temporary folder + "Vonu-" + version + ".exe".
std::wstring NewProgramPath(const std::wstring& version);

// The offer's program file into memory (FetchUpdateFile in `item`: its cancel flag and
// CloseOpenRequests stop it), its size and SHA-256 checked, then written to
// NewProgramPath. A file that fails the checks never reaches the disk. On failure `error`
// holds the sentence.
bool DownloadUpdateFile(const UpdateResult& offer, DownloadItem& item, std::atomic<int64_t>& received,
                        std::atomic<int64_t>& contentLength, std::wstring& path, std::wstring& error);

// Renames `exePath` to its old program path, moves `newFile` into its place, opens it
// without write or delete sharing, checks its size and SHA-256 again, and starts it with
// `exePath` quoted followed by `arguments`, holding the file open until CreateProcessW has
// returned. False, with the old executable back at `exePath`, when any step fails. The
// caller deletes `newFile` if it is still there.
bool SwapProgramFile(const std::wstring& exePath, const std::wstring& newFile, const std::wstring& sha256,
                     int64_t size, const std::wstring& arguments);

// SwapProgramFile for the running executable with " /restart /updated".
bool SwapAndRestart(const UpdateResult& offer, const std::wstring& newFile);

}  // namespace vonu
