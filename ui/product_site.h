// The product's web site: the support page, the extension's pages and the download page
// live under it, each in the site's "en/" folder for the English interface.
#pragma once

namespace vonu {

inline constexpr wchar_t kProductSite[] = L"https://vonu.app";

}  // namespace vonu
