// The temporary file of a download in progress: the target path + ".vonu", created at the
// file's full size before any connection writes into it at its own offsets.
#pragma once

#include <cstdint>
#include <string>

#include "model/download_types.h"  // kTempSuffix

namespace vonu {

// Creates (or replaces) the file, creating its folder first. A size above 0 is set at once:
// the file is marked sparse first and the disk's free space is checked, so a file that cannot
// fit fails here with the system's reason instead of a run that cannot finish.
//
// Why sparse: NTFS keeps a valid-data length per file, and a write beyond it makes the file
// system zero-fill everything before it, synchronously, inside that write. With every segment
// but the first starting far into the file, a multi-gigabyte download would stall its
// connections for seconds and write every byte twice. A sparse file has no such fill; the
// free-space check keeps the early "disk full" answer that a plain allocation would give.
// File systems without sparse files (FAT32, exFAT) get a plain allocation.
// False: `error` is "Cannot create the file: " + the reason.
[[nodiscard]] bool CreateTemporaryFile(const std::wstring& tempPath, int64_t size, std::wstring& error);

// The file's length in bytes, or -1 when it cannot be read (missing, say).
int64_t FileLength(const std::wstring& path);

// Clears the sparse mark of a finished file (every byte is written, so nothing changes but
// the attribute, and tools that copy or back it up see an ordinary file). Failures ignored.
void ClearSparseMark(const std::wstring& path);

}  // namespace vonu
