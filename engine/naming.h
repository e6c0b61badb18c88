// File names for downloads: from addresses and Content-Disposition, made safe for Windows,
// and free paths beside earlier files and unfinished downloads. Any thread; UniquePath
// alone reads the download list and needs the manager lock held by its caller.
#pragma once

#include <cstdint>
#include <string>

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
// list (any id but ownId, compared ignoring case) uses. Caller holds the manager lock.
std::wstring UniquePath(const std::wstring& path, int32_t ownId);

}  // namespace vonu
