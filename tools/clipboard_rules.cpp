#include "tools/clipboard_rules.h"

#include <mutex>

#include "engine/naming.h"
#include "model/categories.h"
#include "model/text_case.h"
#include "tools/link_extraction.h"

namespace vonu {

bool LinkTest(DownloadManager& m, std::wstring_view text) {
    const bool ftp = StartsWithNoCase(text, L"ftp://");
    if (!ftp && !StartsWithNoCase(text, L"http://") && !StartsWithNoCase(text, L"https://")) return false;
    if (text.find_first_of(L" \t\r\n") != std::wstring_view::npos) return false;
    const std::wstring name = NameFromAddress(std::wstring(text));
    if (ftp && name.find(L'.') != std::wstring::npos) return true;
    std::lock_guard guard(m.categoryLock);
    for (const Category& c : m.categories)
        if (TypesMatchFileName(c.types, name)) return true;
    return false;
}

ClipboardOffer ClipboardOfferFor(DownloadManager& m, std::wstring_view text,
                                 const std::vector<DownloadSnapshot>& snapshot) {
    ClipboardOffer offer;
    if (text.find_first_of(L"\n ") == std::wstring_view::npos) {
        if (!LinkTest(m, text)) return offer;
        for (const DownloadSnapshot& d : snapshot)
            if (d.url == text) return offer;
        offer.single = text;
        return offer;
    }
    for (std::wstring& link : ExtractLinks(text))
        if (LinkTest(m, link)) offer.links.push_back(std::move(link));
    if (offer.links.size() < 2) offer.links.clear();
    return offer;
}

}  // namespace vonu
