// Atomic replacement of a user's file (list.ini, categories.ini, logins.ini, and the first
// settings.ini): the text goes to path + ".tmp" as UTF-16LE with a byte-order mark, is
// flushed to disk, and only then moved over the file. If any step fails the old file stays
// as it was, the temporary file is removed, and the result says why. The bytes variant
// writes exactly the given bytes the same way (the browsers' host manifests, in UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace vonu {

struct WriteResult {
    bool ok = false;
    std::wstring error;  // one English sentence when !ok
};

[[nodiscard]] WriteResult WriteWholeFile(const std::wstring& path, std::wstring_view text);
[[nodiscard]] WriteResult WriteWholeFileBytes(const std::wstring& path, std::string_view bytes);
// Exactly these bytes straight into `path` (created or truncated, no sharing), flushed; for a
// file that is itself a temporary one its caller moves into place later. A failed write
// removes the partial file.
[[nodiscard]] WriteResult WriteFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace vonu
