// The product's web site: the support page, the extension's pages and the download page live
// under it (each in the site's "en/" folder for the English interface), and so does the
// signed update description. The setup program records it in the uninstall entry.
#pragma once

namespace vonu {

inline constexpr wchar_t kProductSite[] = L"https://vonu.app";
// Used when the UpdateUrl setting is empty.
inline constexpr wchar_t kUpdateDescriptionAddress[] = L"https://vonu.app/update.json";

}  // namespace vonu
