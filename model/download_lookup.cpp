#include "model/download_lookup.h"

#include <mutex>

namespace vonu {

int32_t DownloadIdForAddress(DownloadManager& m, std::wstring_view address) {
    std::lock_guard guard(m.lock);
    for (const auto& item : m.downloads)
        if (item->url == address) return item->id;
    return 0;
}

}  // namespace vonu
