// Download addresses in free text (a clipboard, a dropped text, an imported file), and the
// two files of link lists: the text file import reads and the list export writes. HTML is
// not parsed: addresses are found in the raw text, and entities such as "&amp;" stay as
// they are. Pure functions except where a path is read or written; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/whole_file_writer.h"

namespace vonu {

// The largest file import reads: 16 MiB.
inline constexpr size_t kLinkFileCap = 16 * 1024 * 1024;

// Every "http://", "https://" or "ftp://" address (scheme in any letter case) in the text,
// in order of first appearance, each once (compared exactly, so letter case counts). An
// address ends before a blank (any Unicode space, the no-break space included), a quote,
// "<", ">" or the end; trailing ",", ")", "." and ";" are dropped; a scheme with nothing
// after it is no address. One pass over the text; the duplicate check is a hash set.
std::vector<std::wstring> ExtractLinks(std::wstring_view text);

// A file's bytes as text: FF FE starts UTF-16LE (an odd last byte is dropped), EF BB BF is
// skipped, anything else is UTF-8 (bad sequences become U+FFFD).
std::wstring DecodeTextFile(std::string_view bytes);

// Reads a file of at most kLinkFileCap bytes and decodes it. False when it cannot be
// opened or read, or is larger.
[[nodiscard]] bool ReadTextFile(const std::wstring& path, std::wstring& text);

// The exported list: UTF-8 with a byte-order mark, every address followed by CR LF.
std::string ExportedListBytes(const std::vector<std::wstring>& addresses);

// Writes the exported list through a temporary file and a move, so an old file is replaced
// only by a complete new one.
[[nodiscard]] WriteResult WriteExportedList(const std::wstring& path, const std::vector<std::wstring>& addresses);

}  // namespace vonu
