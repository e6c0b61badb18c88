// What in a copied or dropped text counts as a download address. Any thread; the link test
// takes the category lock itself (call it without).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/download_manager.h"
#include "model/download_snapshot.h"

namespace vonu {

// The clipboard watcher looks only at texts up to this long.
inline constexpr size_t kClipboardTextCap = 200000;

// One downloadable address: ftp, http or https (any case), no space, tab, CR or LF, and a
// file name whose extension a category lists (for ftp, any name with a ".").
bool LinkTest(DownloadManager& m, std::wstring_view text);

struct ClipboardOffer {
    std::wstring single;              // one address for the new download flow
    std::vector<std::wstring> links;  // two or more for the batch list dialog
    bool Empty() const { return single.empty() && links.empty(); }
};

// For a trimmed, non-empty clipboard text: a text without line feed and space is one
// candidate, offered when it passes the link test and no download in `snapshot` has that
// exact address; any other text offers its passing links when there are two or more.
ClipboardOffer ClipboardOfferFor(DownloadManager& m, std::wstring_view text,
                                 const std::vector<DownloadSnapshot>& snapshot);

}  // namespace vonu
