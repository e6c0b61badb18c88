// Integrity check of the program's own file at start-up: the file opens and is a well-formed
// 64-bit Windows image (DOS and PE headers, optional header, section table and every
// section's raw data inside the file). It catches a truncated or overwritten executable,
// for example an update or copy that stopped half-way; it is not a signature check, and a
// genuine build always passes.
#pragma once

#include <string>

namespace vonu {

struct ImageCheck {
    bool ok = false;
    std::wstring reason;  // one English sentence when !ok
};

ImageCheck CheckExecutableImage(const std::wstring& path);

}  // namespace vonu
