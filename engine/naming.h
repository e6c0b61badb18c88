// File names for downloads: from addresses and Content-Disposition, made safe for Windows,
// and free paths beside earlier files and unfinished downloads. Any thread; the free-path
// search takes the manager lock itself, only to read the list: it looks at the disk
// without it, since a slow or network folder must not hold up every running download.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/download_manager.h"

namespace vonu {

// The address (without query and fragment) names an HLS playlist: it ends in ".m3u8".
bool IsPlaylistAddress(const std::wstring& address);

// The decoded last path component; empty when the address has no path or ends in "/".
std::wstring NameFromAddress(const std::wstring& address);

// %XX and "+" decoding; the bytes are read as UTF-8 (bad sequences become U+FFFD).
std::wstring DecodeName(const std::wstring& text);

// Text whose characters are the Latin-1 reading of UTF-8 bytes, read back as UTF-8.
// Anything else (plain ASCII, real Unicode, bytes that are not UTF-8) comes back unchanged.
std::wstring RepairName(const std::wstring& text);

// The file name a Content-Disposition value gives (filename* first); empty when none.
std::wstring NameFromContentDisposition(const std::wstring& value);

// A name that is safe to create inside a folder: no path separators, reserved characters,
// control or direction-control characters, trailing dots or spaces, device names, or more
// than 200 characters; never empty ("download").
std::wstring SanitizeFileName(const std::wstring& name);

// The path itself, or "stem (2).ext", "stem (3).ext"... : the first that no file or folder,
// no unfinished download (".vonu" or ".vonu.parts" beside it) and no other download in the
// list (any id but ownId, compared ignoring case) uses. `claimLocked`, when given, runs under
// the manager lock with the path found, in the same hold that found it free of the list, so
// a caller that makes it a download's path there can never share it with another download.
// Call without the manager lock.
std::wstring UniquePath(DownloadManager& m, const std::wstring& path, int32_t ownId,
                        const std::function<void(const std::wstring&)>& claimLocked = {});

}  // namespace vonu
